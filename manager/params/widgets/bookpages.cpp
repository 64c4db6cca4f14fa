#include "manager/params/widgets/bookpages.h"

#include <QApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <array>

#include "common/widgets/formtranslation.h"
#include "common/widgets/prompter.h"
#include "manager/books/bookdownload.h"
#include "manager/params/widgets/pageregistry.h"

namespace {

// What tells the two pages apart.
struct TBookPageKind {
    EDownloadKind kind;
    const char* fileName;
    const char* groupName;
    const char* title;
    const char* listName;
    std::array<const char*, 4> columns;  // the number first
    const char* editName;
    const char* downloadName;
    const char* downloadCaption;
    const char* upName;
    const char* downName;
    // The two columns of a pre-selection text "first=second".
    std::size_t preselectFirst, preselectSecond;
    // The zone page keeps its zone names in place when rows move.
    std::optional<std::size_t> keepColumn;
    std::optional<TListRows> (*select)(TEditorContext&, QWidget*, const QStringList&);
};

const TBookPageKind kContactPage{
    EDownloadKind::Contacts,
    kDlContactsFile,
    "grpBoxBkContacts",
    "本地联系人列表",
    "lvBkContacts",
    {"序    号", "SIP账号", "用户名称", "分组名称"},
    "btnContactEdit",
    "btnContactDownload",
    "下载联系人(&W)",
    "btnContactUp",
    "btnContactDown",
    contactcol::kSipAccount,
    contactcol::kDisplayName,
    std::nullopt,
    [](TEditorContext& c, QWidget* parent, const QStringList& pre) {
        return c.selectContacts(parent, pre);
    },
};

const TBookPageKind kZonePage{
    EDownloadKind::Zones,
    kDlMulticastsFile,
    "grpBoxBkMulticasts",
    "本地组播地址列表",
    "lvBkMulticasts",
    {"分区号", "分区名称", "组播地址", "端口号"},
    "BtnMulticastEdit",
    "BtnMulticastDownload",
    "下载地址表(&W)",
    "BtnMulticastUp",
    "BtnMulticastDown",
    multicastcol::kAddress,
    multicastcol::kPort,
    multicastcol::kZoneName,
    [](TEditorContext& c, QWidget* parent, const QStringList& pre) {
        return c.selectMulticasts(parent, pre);
    },
};

QString Utf8(const std::string& text) {
    return QString::fromStdString(text);
}

class TBookPage : public TPropertyPage {
  public:
    TBookPage(TEditorContext& context, const TBookPageKind& kind,
              const TDownloadDialogOptions& options)
        : TPropertyPage(context), kind_(kind), options_(options) {
        auto* group = new QGroupBox(QString::fromUtf8(kind.title), this);
        group->setObjectName(kind.groupName);
        list_ = new QTreeWidget(group);
        list_->setObjectName(kind.listName);
        QStringList headers;
        for (const char* column : kind.columns)
            headers << QString::fromUtf8(column);
        list_->setHeaderLabels(headers);
        list_->setRootIsDecorated(false);
        list_->setSelectionMode(QAbstractItemView::SingleSelection);
        list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
        connect(list_, &QTreeWidget::itemSelectionChanged, this, &TBookPage::UpdateMoveButtons);

        auto button = [&](const char* name, const QString& caption) {
            auto* b = new QPushButton(caption, group);
            b->setObjectName(name);
            b->setAutoDefault(false);
            return b;
        };
        edit_ = button(kind.editName, QStringLiteral("编      辑(&T)"));
        download_ = button(kind.downloadName, QString::fromUtf8(kind.downloadCaption));
        up_ = button(kind.upName, QStringLiteral("上  移(&U)"));
        down_ = button(kind.downName, QStringLiteral("下  移(&N)"));
        connect(edit_, &QPushButton::clicked, this, &TBookPage::EditClick);
        connect(download_, &QPushButton::clicked, this, &TBookPage::DownloadClick);
        connect(up_, &QPushButton::clicked, this, [this] { Move(-1); });
        connect(down_, &QPushButton::clicked, this, [this] { Move(+1); });
        download_->setEnabled(false);
        up_->setEnabled(false);
        down_->setEnabled(false);

        auto* buttons = new QVBoxLayout;
        for (QPushButton* b : {edit_, download_, up_, down_})
            buttons->addWidget(b);
        buttons->addStretch();
        auto* body = new QHBoxLayout(group);
        body->addWidget(list_, 1);
        body->addLayout(buttons);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(group);

        // Moves are saved when the input focus leaves the page.
        focusWatch_ =
            connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
                if (old != nullptr && isAncestorOf(old) && (now == nullptr || !isAncestorOf(now)))
                    FocusLeft();
            });
    }

    // The children still change focus while Qt destroys them, after this page's members.
    ~TBookPage() override { disconnect(focusWatch_); }

    void Load(const TParamBlock& /*block*/) override {
        LoadListFile(rows_, Path());
        ShowRows(-1);
    }

  private:
    std::string Path() const {
        return (context_.dataFolder + QString::fromUtf8(kind_.fileName)).toStdString();
    }

    void SaveList() { SaveListFile(rows_, Path()); }

    void ShowRows(int selected) {
        list_->clear();
        for (const TListRow& row : rows_) {
            QStringList cells{Utf8(row.number)};
            for (std::size_t i = 0; i < 3; ++i)
                cells << Utf8(row.Column(i));
            list_->addTopLevelItem(new QTreeWidgetItem(cells));
        }
        if (selected >= 0 && selected < list_->topLevelItemCount())
            list_->setCurrentItem(list_->topLevelItem(selected));
        download_->setEnabled(!rows_.empty());
        UpdateMoveButtons();
    }

    int SelectedRow() const {
        const QList<QTreeWidgetItem*> selected = list_->selectedItems();
        return selected.isEmpty() ? -1 : list_->indexOfTopLevelItem(selected.first());
    }

    void UpdateMoveButtons() {
        const int row = SelectedRow();
        up_->setEnabled(row > 0);
        down_->setEnabled(row >= 0 && row + 1 < static_cast<int>(rows_.size()));
    }

    void Move(int step) {
        const int from = SelectedRow();
        if (from < 0) return;
        const int to = from + step;
        if (to < 0 || to >= static_cast<int>(rows_.size())) return;
        MoveListRow(rows_, from, to, kind_.keepColumn);
        ShowRows(to);
        context_.bookChanged = true;
    }

    void FocusLeft() {
        if (!context_.bookChanged) return;
        SaveList();
        context_.bookChanged = false;
    }

    void EditClick() {
        QStringList preselection;
        for (const TListRow& row : rows_)
            preselection << Utf8(row.Column(kind_.preselectFirst) + "=" +
                                 row.Column(kind_.preselectSecond));
        const std::optional<TListRows> chosen = kind_.select(context_, window(), preselection);
        if (!chosen) return;
        rows_.clear();
        for (const TListRow& row : *chosen)
            rows_.push_back({std::to_string(rows_.size() + 1),
                             0,
                             {row.Column(0), row.Column(1), row.Column(2)}});
        ShowRows(-1);
        SaveList();
    }

    void DownloadClick() {
        TBookDownloadSteps steps;
        steps.login = context_.login;
        steps.logout = context_.logout;
        steps.save = [this] { SaveList(); };
        steps.searchOne = context_.searchOne;
        steps.offline = [this] {
            context_.prompter->Message(window(), IPrompter::Kind::Error, QStringLiteral("Pelmora"),
                                       TrText("Pelmora/Messagedlg/FrmProperty/keyWord11",
                                              QStringLiteral("设备已离线，下载失败")));
        };
        steps.runJob = [this](const std::string& address, const TDownloadEntries& entries) {
            return RunDownloadDialog(window(), kind_.kind, address, entries, options_);
        };
        RunBookDownload(kind_.kind, rows_, GetFieldIp(*context_.terminalBlock, ParamField("ip")),
                        steps);
    }

    const TBookPageKind& kind_;
    TDownloadDialogOptions options_;
    TListRows rows_;
    QMetaObject::Connection focusWatch_;
    QTreeWidget* list_;
    QPushButton* edit_;
    QPushButton* download_;
    QPushButton* up_;
    QPushButton* down_;
};

}  // namespace

void RegisterBookPages(TPageRegistry& registry, const TDownloadDialogOptions& options) {
    registry.AddPage({.name = "LocalContacts", .create = [options](TEditorContext& c) {
                          return new TBookPage(c, kContactPage, options);
                      }});
    registry.AddPage({.name = "MulticastList", .create = [options](TEditorContext& c) {
                          return new TBookPage(c, kZonePage, options);
                      }});
}
