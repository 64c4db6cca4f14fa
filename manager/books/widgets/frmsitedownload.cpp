#include "manager/books/widgets/frmsitedownload.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "common/tablefile.h"
#include "common/translation.h"
#include "common/widgets/formtranslation.h"
#include "common/widgets/prompter.h"
#include "common/widgets/tablefilters.h"
#include "manager/books/listfile.h"
#include "manager/params/paramfamily.h"

namespace {

enum TColumn { kColTerminal, kColIp, kColMac, kColProgress, kColStep };
enum TChoice { kContacts, kZones, kBoth };

QString Msg(int keyWord, const char* defaultText) {
    return TrText(MessageKey("FrmSiteDownload", keyWord), QString::fromUtf8(defaultText));
}
std::string MsgText(int keyWord, const char* defaultText) {
    return Msg(keyWord, defaultText).toStdString();
}
// A translated text with its one field filled (texts from a file are never used as formats).
std::string Filled(std::string text, const char* field, const std::string& value) {
    if (const auto at = text.find(field); at != std::string::npos) text.replace(at, 2, value);
    return text;
}

// A terminal that ended without its books, for a reason another run may not meet again.
bool Retriable(const TSiteRow& row) {
    return row.outcome != TSiteOutcome::kDone && row.outcome != TSiteOutcome::kSkipped;
}

QPushButton* NewButton(QWidget* parent, const char* name, const char* caption) {
    auto* button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setObjectName(name);
    return button;
}

}  // namespace

TSiteCandidate SiteCandidate(const std::string& account, const std::string& displayName,
                             const std::string& ip, const std::string& accessAddress,
                             const std::string& mac, const std::string& model, bool reachable) {
    TSiteCandidate c{account.empty()
                         ? displayName
                         : (displayName.empty() ? account : account + " " + displayName),
                     ip, accessAddress, mac, std::string()};
    if (c.label.empty()) c.label = mac;
    const TModelFamily family = ModelFamily(model);
    if (!reachable)
        c.skipReason = MsgText(7, "跳过：设备已离线");
    else if (family != TModelFamily::kNone && family != TModelFamily::k520)
        c.skipReason = MsgText(8, "跳过：不是带地址簿的设备（520系列）");
    return c;
}

TFrmSiteDownload::TFrmSiteDownload(IDeviceAccess& access, IPrompter& prompter,
                                   const QString& programFolder,
                                   std::vector<TSiteCandidate> candidates, QWidget* parent,
                                   THostTiming timing)
    : QDialog(parent),
      access_(access),
      prompter_(prompter),
      programFolder_(programFolder),
      timing_(timing),
      candidates_(std::move(candidates)) {
    setObjectName("FrmSiteDownload");
    setWindowTitle(QStringLiteral("下载地址簿到多台设备"));
    resize(820, 420);

    auto* lblBooks = new QLabel(QStringLiteral("下载内容："), this);
    lblBooks->setObjectName("lblBooks");
    cmbBoxBooks = new QComboBox(this);
    cmbBoxBooks->setObjectName("cmbBoxBooks");
    cmbBoxBooks->addItems(
        {QStringLiteral("联系人"), QStringLiteral("分区"), QStringLiteral("联系人和分区")});
    lvSiteTerminals = new QTreeWidget(this);
    lvSiteTerminals->setObjectName("lvSiteTerminals");
    lvSiteTerminals->setAccessibleName(QStringLiteral("设备"));  // no label names it
    lvSiteTerminals->setRootIsDecorated(false);
    lvSiteTerminals->setHeaderLabels({QStringLiteral("设备"), QStringLiteral("IP 地址"),
                                      QStringLiteral("MAC地址"), QStringLiteral("进度"),
                                      QStringLiteral("当前下载信息")});
    lvSiteTerminals->header()->setStretchLastSection(true);
    for (const auto& [column, width] :
         {std::pair{kColTerminal, 150}, {kColIp, 110}, {kColMac, 120}, {kColProgress, 120}})
        lvSiteTerminals->setColumnWidth(column, width);

    btnStart = NewButton(this, "btnStart", "开  始(&S)");
    btnStop = NewButton(this, "btnStop", "停  止(&T)");
    btnRetryFailed = NewButton(this, "btnRetryFailed", "重试失败的设备(&R)");
    btnSaveReport = NewButton(this, "btnSaveReport", "保存报告(&P)");
    btnClose = NewButton(this, "btnClose", "关  闭(&C)");

    auto* top = new QHBoxLayout;
    top->addWidget(lblBooks);
    top->addWidget(cmbBoxBooks);
    top->addStretch(1);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {btnStart, btnStop, btnRetryFailed, btnSaveReport})
        buttons->addWidget(button);
    buttons->addStretch(1);
    buttons->addWidget(btnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(lvSiteTerminals, 1);
    layout->addLayout(buttons);

    for (const TSiteCandidate& c : candidates_) {
        TSiteRow row;
        row.label = c.label;
        row.mac = c.mac;
        if (!c.skipReason.empty()) {
            row.state = "skipped";
            row.texts.push_back(c.skipReason);
        }
        shown_.push_back(std::move(row));
        auto* item = new QTreeWidgetItem(lvSiteTerminals);
        item->setText(kColTerminal, QString::fromStdString(c.label));
        item->setText(kColIp, QString::fromStdString(c.ip));
        item->setText(kColMac, QString::fromStdString(c.mac));
        auto* bar = new QProgressBar(lvSiteTerminals);
        bar->setValue(0);
        bar->setEnabled(c.skipReason.empty());
        lvSiteTerminals->setItemWidget(item, kColProgress, bar);
        bars_.push_back(bar);
        ShowRow(shown_.size() - 1);
    }

    connect(btnStart, &QPushButton::clicked, this, &TFrmSiteDownload::btnStartClick);
    connect(btnStop, &QPushButton::clicked, this, [this] {
        if (run_) run_->Stop();
        btnStop->setEnabled(false);
    });
    connect(btnRetryFailed, &QPushButton::clicked, this, &TFrmSiteDownload::btnRetryFailedClick);
    connect(btnSaveReport, &QPushButton::clicked, this, &TFrmSiteDownload::btnSaveReportClick);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::close);
    UpdateButtons();
}

TFrmSiteDownload::~TFrmSiteDownload() {
    // Ends the jobs before the window they report to goes.
    run_.reset();
}

void TFrmSiteDownload::closeEvent(QCloseEvent* event) {
    // Closing stops every job as Stop does and waits for them to log out.
    run_.reset();
    QDialog::closeEvent(event);
}

void TFrmSiteDownload::reject() {
    run_.reset();
    QDialog::reject();
}

TSiteAccess TFrmSiteDownload::SiteAccess() {
    // Texts are translated here, on the window thread; the workers only copy them. The window
    // asks nobody for credentials: a terminal that wants them is logged in through its properties.
    return DeviceSiteAccess(
        access_, std::nullopt,
        {MsgText(2, "设备没有回应，errcode = %d"), MsgText(3, "读取设备参数失败，errcode = %d"),
         MsgText(4, "设备需要用户名和密码，请在设备属性中登录后重试"),
         Translate(MessageKey("FrmMain", 8), "用户名或密码错误！"),
         MsgText(5, "登录失败，errcode = %d"),
         Translate(MessageKey("FrmProperty", 11), "设备已离线，下载失败"),
         MsgText(6, "不是带地址簿的设备（%s）")});
}

void TFrmSiteDownload::btnStartClick() {
    std::vector<std::size_t> all;
    for (std::size_t i = 0; i < candidates_.size(); ++i)
        if (candidates_[i].skipReason.empty()) all.push_back(i);
    StartRun(all);
}

void TFrmSiteDownload::btnRetryFailedClick() {
    std::vector<std::size_t> again;
    for (std::size_t i = 0; i < candidates_.size(); ++i)
        if (candidates_[i].skipReason.empty() && Retriable(shown_[i]) && !shown_[i].state.empty())
            again.push_back(i);
    StartRun(again);
}

void TFrmSiteDownload::StartRun(const std::vector<std::size_t>& indexes) {
    if (run_ || indexes.empty()) return;
    const int choice = cmbBoxBooks->currentIndex();
    std::vector<TSiteBook> books;
    for (const EDownloadKind kind : {EDownloadKind::Contacts, EDownloadKind::Zones}) {
        if ((kind == EDownloadKind::Contacts && choice == kZones) ||
            (kind == EDownloadKind::Zones && choice == kContacts))
            continue;
        const char* file = kind == EDownloadKind::Contacts ? kDlContactsFile : kDlMulticastsFile;
        TSiteBook book{kind, {}};
        std::string error;
        const std::string path = ListFilePath(programFolder_.toStdString(), file);
        LoadListFile(book.rows, path, &error);
        if (book.rows.empty()) {
            // Nothing to send: the single terminal's page keeps its button disabled then.
            prompter_.Message(
                this, IPrompter::Kind::Error, windowTitle(),
                QString::fromStdString(Filled(
                    MsgText(1, "下载列表 %s 为空，请先在设备属性的地址簿页中编辑"), "%s", file)));
            return;
        }
        books.push_back(std::move(book));
    }
    std::vector<TSiteTarget> targets;
    for (const std::size_t i : indexes) {
        const TSiteCandidate& c = candidates_[i];
        targets.push_back({c.label, c.accessAddress, TextToMac(c.mac)});
        shown_[i] = TSiteRow{};
        shown_[i].label = c.label;
        shown_[i].mac = c.mac;
        ShowRow(i);
    }
    running_ = indexes;
    log_ = std::make_unique<TSiteLog>(targets, books);
    run_ = std::make_unique<TSiteDownload>(std::move(books), SiteAccess(), timing_);
    run_->Start(std::move(targets), kMaxSiteJobs, [this] {
        QMetaObject::invokeMethod(this, &TFrmSiteDownload::TakeEvents, Qt::QueuedConnection);
    });
    UpdateButtons();
}

void TFrmSiteDownload::TakeEvents() {
    if (!run_) return;
    for (const TSiteEvent& event : run_->TakeEvents(std::chrono::milliseconds(0))) {
        const std::size_t terminal = log_->Apply(event);
        const std::size_t index = running_[terminal];
        shown_[index] = log_->Rows()[terminal];
        ShowRow(index);
    }
    if (run_->Finished()) {
        run_.reset();
        UpdateButtons();
        emit runFinished();
    }
}

void TFrmSiteDownload::ShowRow(std::size_t index) {
    const TSiteRow& row = shown_[index];
    QTreeWidgetItem* item = lvSiteTerminals->topLevelItem(static_cast<int>(index));
    item->setText(kColStep,
                  row.texts.empty() ? QString() : QString::fromStdString(row.texts.back()));
    const bool failed = row.finished && row.outcome != TSiteOutcome::kDone;
    item->setForeground(kColStep, failed ? Qt::red : (row.finished ? Qt::blue : Qt::black));
    QProgressBar* bar = bars_[index];
    bar->setMaximum(std::max(row.total, 1));
    bar->setValue(row.total > 0 ? row.parts : 0);
}

void TFrmSiteDownload::UpdateButtons() {
    const bool running = run_ != nullptr;
    const bool anyToRun = std::any_of(candidates_.begin(), candidates_.end(),
                                      [](const TSiteCandidate& c) { return c.skipReason.empty(); });
    bool anyFailed = false, anyEnded = false;
    for (std::size_t i = 0; i < shown_.size(); ++i) {
        if (!candidates_[i].skipReason.empty()) continue;
        anyEnded = anyEnded || shown_[i].finished;
        anyFailed = anyFailed || (shown_[i].finished && Retriable(shown_[i]));
    }
    btnStart->setEnabled(!running && anyToRun);
    cmbBoxBooks->setEnabled(!running);
    btnStop->setEnabled(running);
    btnRetryFailed->setEnabled(!running && anyFailed);
    btnSaveReport->setEnabled(!running && anyEnded);
}

void TFrmSiteDownload::btnSaveReportClick() {
    const QString path = prompter_.SaveFileName(this, btnSaveReport->text(), programFolder_,
                                                kTableSaveFilter, "csv");
    if (path.isEmpty()) return;
    std::string error;
    if (!WriteTableFile(path.toStdString(), SiteReportHeader(), SiteReportRows(shown_), &error))
        prompter_.Message(
            this, IPrompter::Kind::Error, windowTitle(),
            QString::fromStdString(Filled(MsgText(9, "保存报告失败：%s"), "%s", error)));
}
