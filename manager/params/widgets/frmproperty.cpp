#include "manager/params/widgets/frmproperty.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "common/widgets/formtranslation.h"
#include "common/widgets/prompter.h"
#include "manager/params/pagesave.h"
#include "manager/params/widgets/familyrestrictions.h"

namespace {

constexpr int kEntryNameRole = Qt::UserRole;

struct TButtonText {
    const char* name;
    const char* caption;
};
constexpr TButtonText kButtons[] = {
    {"btnSave", "保    存(&S)"},         {"btnCancel", "取    消(&C)"},
    {"btnDefParams", "默认参数(&D)"},    {"btnSaveParams", "保存参数(&P)"},
    {"btnExportParams", "导出参数(&E)"}, {"btnImportParams", "导入参数(&I)"},
};

TMacBytes BlockMac(const TParamBlock& block) {
    TMacBytes mac{};
    std::copy_n(block.data() + kParamMacOffset, mac.size(), mac.begin());
    return mac;
}

}  // namespace

TFrmProperty::TFrmProperty(TFrmPropertyDeps deps, QWidget* parent)
    : QDialog(parent), deps_(std::move(deps)) {
    setObjectName("FrmProperty");
    setWindowTitle("Parameter settings");
    context_.prompter = deps_.prompter;
    context_.settingsFile = deps_.programFolder + "SysConfig.ini";
    context_.dataFolder = deps_.programFolder + "Data/";
    context_.terminalBlock = &block_;
    context_.login = [this] {
        return deps_.login && deps_.login(context_.accessAddress, BlockMac(block_));
    };
    context_.logout = [this] {
        if (deps_.logout) deps_.logout(context_.accessAddress, BlockMac(block_));
    };
    context_.pickContact = [this](QWidget* parent) {
        return PickContact({parent, deps_.prompter, deps_.programFolder});
    };
    context_.pickMulticast = [this](QWidget* parent, const QStringList& inUse, bool checkInUse) {
        return PickMulticast({parent, deps_.prompter, deps_.programFolder}, inUse, checkInUse);
    };
    context_.selectContacts = [this](QWidget* parent, const QStringList& preselection) {
        return SelectContacts({parent, deps_.prompter, deps_.programFolder}, preselection);
    };
    context_.selectMulticasts = [this](QWidget* parent, const QStringList& preselection) {
        return SelectMulticasts({parent, deps_.prompter, deps_.programFolder}, preselection);
    };
    context_.searchOne = [this](const std::string& ip, TDeviceRecord* record) {
        return deps_.searchOne ? deps_.searchOne(ip, record) : std::int32_t{0};
    };

    pnlTitle = new QLabel("Parameter settings", this);
    pnlTitle->setObjectName("pnlTitle");
    QFont titleFont = pnlTitle->font();
    titleFont.setBold(true);
    pnlTitle->setFont(titleFont);

    OrgTreeView = new QTreeWidget(this);
    OrgTreeView->setObjectName("OrgTreeView");
    OrgTreeView->setHeaderHidden(true);
    OrgTreeView->setAccessibleName(QStringLiteral("参数页"));
    OrgTreeView->setFixedWidth(190);
    OrgTreeView->installEventFilter(this);
    OrgTreeView->viewport()->installEventFilter(this);

    // Pages are reached only through the tree.
    RzPageControl1 = new QTabWidget(this);
    RzPageControl1->setObjectName("RzPageControl1");
    RzPageControl1->setFocusPolicy(Qt::NoFocus);  // its tabs are hidden: the tree leads to pages
    RzPageControl1->tabBar()->hide();
    if (deps_.pages != nullptr)
        for (const TPageEntry& entry : PageTable()) {
            const TPageRegistration* registration = deps_.pages->Page(entry.name);
            if (registration == nullptr) continue;
            TPropertyPage* page = registration->create(context_);
            page->setObjectName(QString::fromUtf8(entry.page.data(), entry.page.size()));
            RzPageControl1->addTab(page,
                                   QString::fromUtf8(entry.caption.data(), entry.caption.size()));
            pages_.emplace(std::string(entry.name), page);
        }

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (const TButtonText& text : kButtons) {
        auto* button = new QPushButton(QString::fromUtf8(text.caption), this);
        button->setObjectName(text.name);
        button->setAutoDefault(false);
        buttons->addWidget(button);
        const TEditorCommand* command =
            deps_.pages != nullptr ? deps_.pages->Command(text.name) : nullptr;
        if (command != nullptr)
            connect(button, &QPushButton::clicked, this, [this, command] { (*command)(*this); });
        else if (std::string_view(text.name) != "btnSave" &&
                 std::string_view(text.name) != "btnCancel")
            button->setEnabled(false);
    }
    connect(findChild<QPushButton*>("btnSave"), &QPushButton::clicked, this,
            &TFrmProperty::btnSaveClick);
    connect(findChild<QPushButton*>("btnCancel"), &QPushButton::clicked, this, &QDialog::reject);

    auto* body = new QHBoxLayout;
    body->addWidget(OrgTreeView);
    body->addWidget(RzPageControl1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pnlTitle);
    layout->addLayout(body, 1);
    layout->addLayout(buttons);
    resize(760, 520);
}

void TFrmProperty::showEvent(QShowEvent* event) {
    if (!opened_) {
        opened_ = true;
        Open();
    }
    QDialog::showEvent(event);
}

void TFrmProperty::Open() {
    TranslateForm(this);
    captionBase_ = windowTitle();
    titleBase_ = pnlTitle->text();
    opening_ = true;
    LoadPages(block_, true);
    opening_ = false;
    BuildTree();
    OrgTreeView->expandAll();
    if (OrgTreeView->topLevelItemCount() > 0)
        OrgTreeView->setCurrentItem(OrgTreeView->topLevelItem(0));
    if (const auto runInfo = pages_.find("RunInfo"); runInfo != pages_.end())
        RzPageControl1->setCurrentWidget(runInfo->second);
}

void TFrmProperty::LoadPages(const TParamBlock& block, bool runInfo) {
    const TModelFamily family = BlockFamily(block);
    const bool dataPort = HasDataPort(block);
    if (opening_) {
        const std::string model = FixedToStr(block.data() + kParamModelOffset, kParamModelWidth);
        QString name =
            deps_.modelDisplayName ? deps_.modelDisplayName(model) : QString::fromStdString(model);
        if (name == "undefined") name.clear();
        setWindowTitle(captionBase_ + " " + name);
        pnlTitle->setText(name + " " + titleBase_);
    }
    context_.family = family;
    context_.familyDefaults = FamilyDefaultValues(family);
    for (const TPageEntry& entry : PageTable()) {
        if (!IsPageShown(entry, family, dataPort)) continue;
        shown_[std::string(entry.name)] = true;
        const auto page = pages_.find(entry.name);
        if (page == pages_.end()) continue;
        const TPageRegistration& registration = *deps_.pages->Page(entry.name);
        if (registration.runInfo && !runInfo) continue;
        ApplyRestrictions(entry.name, page->second);
        page->second->Load(block);
    }
}

void TFrmProperty::SavePages(TParamBlock& block) const {
    const TModelFamily family = BlockFamily(block);
    const bool dataPort = HasDataPort(block);
    // The pages write what they show into a copy; the one save rule, which every other writer
    // of a block follows too, makes the block from it.
    TParamBlock shown = block;
    for (const TPageEntry& entry : PageTable()) {
        if (!IsPageShown(entry, family, dataPort)) continue;
        const auto page = pages_.find(entry.name);
        if (page != pages_.end()) page->second->Save(shown);
    }
    block = SaveShownPages(shown, block);
}

void TFrmProperty::ApplyRestrictions(std::string_view entry, TPropertyPage* page) const {
    for (const TFamilyRestriction& restriction : FamilyRestrictions()) {
        if (restriction.page != entry || (restriction.families & FamilyBit(context_.family)) == 0)
            continue;
        for (const QString& name : ControlNames(restriction))
            if (auto* control = page->findChild<QWidget*>(name)) {
                control->setEnabled(false);
                if (restriction.hide) control->setVisible(false);
            }
    }
}

bool TFrmProperty::Present(const TPageEntry& entry) const {
    const auto shown = shown_.find(entry.name);
    if (shown == shown_.end() || !shown->second) return false;
    if (!entry.page.empty()) return pages_.count(entry.name) != 0;
    // A group appears with its children.
    return std::any_of(PageTable().begin(), PageTable().end(), [&](const TPageEntry& child) {
        return child.parent == entry.name && Present(child);
    });
}

void TFrmProperty::BuildTree() {
    OrgTreeView->clear();
    std::map<std::string_view, QTreeWidgetItem*> nodes;
    auto makeItem = [](const TPageEntry& entry) {
        auto* item = new QTreeWidgetItem;
        const QString name = QString::fromUtf8(entry.name.data(), entry.name.size());
        item->setText(0, TrText(PageTranslationKey(entry.name),
                                QString::fromUtf8(entry.caption.data(), entry.caption.size())));
        item->setData(0, kEntryNameRole, name);
        return item;
    };
    for (const TPageEntry& entry : PageTable())
        if (entry.parent.empty() && Present(entry)) {
            QTreeWidgetItem* item = makeItem(entry);
            OrgTreeView->addTopLevelItem(item);
            nodes[entry.name] = item;
        }
    for (const TPageEntry& entry : PageTable()) {
        if (entry.parent.empty() || !Present(entry)) continue;
        const auto parent = nodes.find(entry.parent);
        if (parent == nodes.end()) continue;
        QTreeWidgetItem* item = makeItem(entry);
        parent->second->addChild(item);
        nodes[entry.name] = item;
    }
}

void TFrmProperty::ShowEntryPage(const QTreeWidgetItem* item) {
    if (item == nullptr) return;
    const auto page = pages_.find(item->data(0, kEntryNameRole).toString().toStdString());
    if (page != pages_.end()) RzPageControl1->setCurrentWidget(page->second);
}

bool TFrmProperty::eventFilter(QObject* watched, QEvent* event) {
    if (watched == OrgTreeView && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        // The tree moves its selection after this filter; the page follows once it has.
        if (key == Qt::Key_Up || key == Qt::Key_Down)
            QMetaObject::invokeMethod(
                this, [this] { ShowEntryPage(OrgTreeView->currentItem()); }, Qt::QueuedConnection);
    } else if (watched == OrgTreeView->viewport() && event->type() == QEvent::MouseButtonPress) {
        const auto* press = static_cast<QMouseEvent*>(event);
        if (press->button() == Qt::LeftButton)
            ShowEntryPage(OrgTreeView->itemAt(press->position().toPoint()));
    }
    return QDialog::eventFilter(watched, event);
}

void TFrmProperty::btnSaveClick() {
    const TModelFamily family = BlockFamily(block_);
    const bool dataPort = HasDataPort(block_);
    for (const TPageEntry& entry : PageTable()) {
        if (!IsPageShown(entry, family, dataPort)) continue;
        const auto page = pages_.find(entry.name);
        if (page == pages_.end()) continue;
        if (const std::optional<TPageCheckFailure> failure = page->second->Check()) {
            RzPageControl1->setCurrentWidget(page->second);
            deps_.prompter->Message(this, IPrompter::Kind::Error, QStringLiteral("Pelmora"),
                                    failure->message);
            if (failure->box != nullptr) failure->box->setFocus();
            return;
        }
    }
    if (!context_.login()) return;
    SavePages(block_);
    accept();
}
