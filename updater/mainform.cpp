#include "updater/mainform.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QStyle>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <climits>
#include <system_error>

#include "common/widgets/accessiblenames.h"
#include "common/widgets/captiontext.h"
#include "common/widgets/tablefilters.h"
#include "common/widgets/windowlayout.h"
#include "updater/handoff.h"
#include "updater/programtexts.h"
#include "updater/report.h"
#include "updater/updatefile.h"

namespace fs = std::filesystem;

namespace {

QString Q(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

QLineEdit* ReadOnlyLine(QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setReadOnly(true);
    return edit;
}

// The Threads box: a text that is not a whole number (an emptied box, a lone sign) stands for 0,
// no limit, instead of falling back to the previous value when the box loses the focus.
class TThreadsSpinBox : public QSpinBox {
  public:
    using QSpinBox::QSpinBox;

  protected:
    void fixup(QString& input) const override {
        bool whole = false;
        input.trimmed().toInt(&whole);
        if (!whole) input = QStringLiteral("0");
    }
};

// A file that exists, as the platform's file test sees it: a folder is no file.
bool FileExists(const fs::path& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

}  // namespace

TMainForm::TMainForm(fs::path programFolder, IPrompter& prompter, TProtocolTimes times,
                     IWindowLayoutStore* layoutStore, QWidget* parent)
    : QWidget(parent),
      folder_(std::move(programFolder)),
      prompter_(prompter),
      layoutStore_(layoutStore),
      pool_(times),
      scheduler_(*this, pool_) {
    setWindowTitle(kCaption);

    GroupBox1 = new QGroupBox("DeviceList", this);
    ListView1 = new QTreeWidget(GroupBox1);
    ListView1->setRootIsDecorated(false);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListView1->setHeaderLabels(
        {"", "IP Address", "DeviceName", "Version", "MAC", "DeviceType", "Process"});
    for (int column : {colIp, colName, colVersion})
        ListView1->headerItem()->setTextAlignment(column, Qt::AlignCenter);
    // Every column, Process above all, fits without scrolling sideways.
    ListView1->setColumnWidth(colCheck, 28);
    ListView1->setColumnWidth(colIp, 100);
    ListView1->setColumnWidth(colName, 100);
    ListView1->setColumnWidth(colVersion, 70);
    ListView1->setColumnWidth(colMac, 115);
    ListView1->setColumnWidth(colType, 80);
    CheckBox1 = new QCheckBox("Select &All", GroupBox1);
    auto* listLayout = new QVBoxLayout(GroupBox1);
    listLayout->addWidget(ListView1);
    listLayout->addWidget(CheckBox1);

    GroupBox2 = new QGroupBox("Updatefile", this);
    Edit1 = new QLineEdit(GroupBox2);
    BitBtn1 = new QToolButton(GroupBox2);
    BitBtn1->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    BitBtn1->setAccessibleName("Browse");
    BitBtn1->setToolTip("Choose the update file");
    auto* fileLayout = new QHBoxLayout(GroupBox2);
    fileLayout->addWidget(new QLabel("&UpdateFile", GroupBox2));
    fileLayout->addWidget(Edit1, 1);
    fileLayout->addWidget(BitBtn1);

    GroupBox3 = new QGroupBox("FileInfo", this);
    edtVersion = ReadOnlyLine(GroupBox3);
    edtDateTime = ReadOnlyLine(GroupBox3);
    edtDeviceType = ReadOnlyLine(GroupBox3);
    Memo1 = new QPlainTextEdit(GroupBox3);
    Memo1->setReadOnly(true);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* infoLayout = new QGridLayout(GroupBox3);
    infoLayout->addWidget(new QLabel("Version:", GroupBox3), 0, 0);
    infoLayout->addWidget(edtVersion, 0, 1);
    infoLayout->addWidget(new QLabel("DateTime:", GroupBox3), 1, 0);
    infoLayout->addWidget(edtDateTime, 1, 1);
    infoLayout->addWidget(new QLabel("DeviceType", GroupBox3), 2, 0);
    infoLayout->addWidget(edtDeviceType, 2, 1);
    infoLayout->addWidget(new QLabel("Desctription", GroupBox3), 3, 0, Qt::AlignTop);
    infoLayout->addWidget(Memo1, 3, 1);

    CheckBox2 = new QCheckBox(this);
    CheckBox2->setObjectName("CheckBox2");
    CheckBox2->setVisible(false);

    Memo2 = new QPlainTextEdit(this);
    Memo2->setReadOnly(true);
    Memo2->setAccessibleName("Log");
    Memo2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    for (const char* line : kInitialLog)
        Memo2->appendPlainText(line);

    Button2 = new QPushButton("&Start", this);
    btnRetryFailed = new QPushButton("&Retry failed", this);
    btnRetryFailed->setObjectName("btnRetryFailed");
    btnRetryFailed->setEnabled(false);
    btnSaveReport = new QPushButton("Save re&port", this);
    btnSaveReport->setObjectName("btnSaveReport");
    btnSaveReport->setEnabled(false);

    GroupBox4 = new QGroupBox("Option", this);
    SpinEdit1 = new TThreadsSpinBox(GroupBox4);
    SpinEdit1->setRange(INT_MIN, INT_MAX);
    SpinEdit1->setValue(20);
    auto* optionLayout = new QHBoxLayout(GroupBox4);
    optionLayout->addWidget(new QLabel("&Threads", GroupBox4));
    optionLayout->addWidget(SpinEdit1, 1);

    auto* right = new QVBoxLayout;
    right->addWidget(GroupBox3, 1);
    right->addWidget(CheckBox2);
    right->addWidget(GroupBox4);
    right->addWidget(Button2);
    auto* after = new QHBoxLayout;
    after->addWidget(btnRetryFailed);
    after->addWidget(btnSaveReport);
    right->addLayout(after);
    auto* top = new QHBoxLayout;
    top->addWidget(GroupBox1, 2);
    top->addLayout(right, 1);
    auto* main = new QVBoxLayout(this);
    main->addLayout(top, 3);
    main->addWidget(GroupBox2);
    main->addWidget(Memo2, 1);

    setFixedSize(1080, 640);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    RestoreWindowLayout(*this, *ListView1->header(), layoutStore_);
    // Boxes are named after their labels, which their mnemonics then reach.
    NameControls(this);

    pool_.SetProgressHandler([this](std::uint32_t address, std::uint32_t param) {
        scheduler_.HandleProgress(address, param);
    });
    connect(BitBtn1, &QToolButton::clicked, this, [this] { BitBtn1Click(); });
    connect(CheckBox1, &QCheckBox::clicked, this, [this] { CheckBox1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(btnRetryFailed, &QPushButton::clicked, this, [this] { btnRetryFailedClick(); });
    connect(btnSaveReport, &QPushButton::clicked, this, [this] { btnSaveReportClick(); });
}

void TMainForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (shown_) return;
    shown_ = true;
    FormShow();
}

void TMainForm::Message(IPrompter::Kind kind, const std::string& text) {
    prompter_.Message(this, kind, kMessageTitle, Q(text));
}

void TMainForm::closeEvent(QCloseEvent* event) {
    SaveWindowLayout(*this, *ListView1->header(), layoutStore_);
    QWidget::closeEvent(event);
}

void TMainForm::FormShow() {
    std::vector<TDevListRow> rows;
    std::string error;
    ListView1->clear();
    if (!LoadHandoff(folder_ / kHandoffFileName, &rows, &error)) {
        Message(IPrompter::Kind::Error, error);
        return;
    }
    for (const TDevListRow& row : rows) {
        auto* item = new QTreeWidgetItem(ListView1);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(colCheck, Qt::Unchecked);
        item->setText(colIp, Q(row.ip));
        item->setText(colName, Q(row.name));
        item->setText(colVersion, Q(row.version));
        item->setText(colMac, Q(row.mac));
        item->setText(colType, Q(row.model));
        for (int column : {colIp, colName, colVersion})
            item->setTextAlignment(column, Qt::AlignCenter);
    }
    if (std::optional<std::string> recalled = ReadRecallFile(folder_)) {
        Edit1->setText(Q(*recalled));
        if (FileExists(Utf8Path(*recalled))) ShowHeader(*recalled, "Update file is error.");
        FindPakOption(*recalled);
    }
    CheckBox1->setChecked(true);
    CheckBox1Click();
    AppendLog(AgentPortLine());
}

void TMainForm::ShowHeader(const std::string& updateFile, const char* errorText) {
    std::optional<THeaderInfo> info = ReadHeaderInfo(Utf8Path(updateFile));
    if (!info) {
        Message(IPrompter::Kind::Error, errorText);
        return;
    }
    edtVersion->setText(Q(info->version));
    edtDateTime->setText(Q(info->dateTime));
    edtDeviceType->setText(Q(info->deviceType));
    Memo1->setPlainText(Q(info->description));
}

void TMainForm::FindPakOption(const std::string& updateFile) {
    pakName_ = FindPakFile(Utf8Path(updateFile).parent_path());
    if (pakName_.empty()) {
        CheckBox2->setChecked(false);
        CheckBox2->setVisible(false);
        return;
    }
    SetDataCaption(*CheckBox2, Q(pakName_));
    CheckBox2->setVisible(true);
}

void TMainForm::BitBtn1Click() {
    fs::path current = Utf8Path(Edit1->text().toStdString());
    QString folder;
    if (FileExists(current)) folder = Q(PathUtf8(current.parent_path()));
    QString chosen = prompter_.OpenFileName(this, "Open", folder, "bin文件 (*.bin)");
    if (chosen.isEmpty()) return;
    Edit1->setText(chosen);
    ShowHeader(chosen.toStdString(), "升级文件错误");
    FindPakOption(chosen.toStdString());
}

void TMainForm::CheckBox1Click() {
    Qt::CheckState state = CheckBox1->isChecked() ? Qt::Checked : Qt::Unchecked;
    for (int i = 0; i < ListView1->topLevelItemCount(); ++i)
        ListView1->topLevelItem(i)->setCheckState(colCheck, state);
}

void TMainForm::Button2Click() {
    if (scheduler_.Running()) return;
    TJobRequest request{Edit1->text().toStdString(), CheckBox2->isChecked(), pakName_, folder_};
    TJobMessage message;
    std::optional<TUpdateJob> job = BuildUpdateJob(
        request, [this](const std::string& line) { AppendLog(line); }, &message);
    if (!job) {
        Message(message.kind == TJobMessage::Kind::Error ? IPrompter::Kind::Error
                                                         : IPrompter::Kind::Information,
                message.text);
        return;
    }
    for (;;) {
        QString password;
        if (!prompter_.AskText(this, "please input password", "", &password, true))
            password.clear();
        job->password = password.toStdString();
        if (PasswordFits(job->password)) break;
        Message(IPrompter::Kind::Error, kPasswordTooLong);
    }
    if (!scheduler_.Start(std::make_shared<const TUpdateJob>(std::move(*job)))) {
        SetStartEnabled(true);  // the last batch's retry and report are gone with it
        Message(IPrompter::Kind::Warning, kNoDeviceSelected);
    }
}

std::size_t TMainForm::RowCount() const {
    return static_cast<std::size_t>(ListView1->topLevelItemCount());
}

bool TMainForm::RowChecked(std::size_t row) const {
    return ListView1->topLevelItem(int(row))->checkState(colCheck) == Qt::Checked;
}

void TMainForm::btnRetryFailedClick() {
    if (scheduler_.Running() || !scheduler_.Job()) return;
    const std::vector<std::size_t> failed = scheduler_.RetriableRows();
    if (failed.empty()) return;
    // The same job and password as the batch, for the failed rows only.
    CheckBox1->setChecked(false);
    CheckBox1Click();
    for (std::size_t row : failed)
        ListView1->topLevelItem(int(row))->setCheckState(colCheck, Qt::Checked);
    scheduler_.Start(scheduler_.Job(), scheduler_.Round() + 1);
}

void TMainForm::btnSaveReportClick() {
    QString file =
        prompter_.SaveFileName(this, "Save report", Q(PathUtf8(folder_)), kTableSaveFilter, "csv");
    if (file.isEmpty()) return;
    std::vector<TDevListRow> rows;
    for (int i = 0; i < ListView1->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = ListView1->topLevelItem(i);
        rows.push_back({item->text(colMac).toStdString(), item->text(colIp).toStdString(),
                        item->text(colName).toStdString(), item->text(colVersion).toStdString(), "",
                        item->text(colType).toStdString()});
    }
    std::string error;
    if (!WriteReport(file.toStdString(), rows, scheduler_.Outcomes(), &error))
        Message(IPrompter::Kind::Error, "Cannot write " + file.toStdString() + ": " + error);
}

std::string TMainForm::RowVersionText(std::size_t row) const {
    return ListView1->topLevelItem(int(row))->text(colVersion).toStdString();
}

std::string TMainForm::RowIpText(std::size_t row) const {
    return ListView1->topLevelItem(int(row))->text(colIp).toStdString();
}

void TMainForm::SetRowProcess(std::size_t row, const std::string& text) {
    ListView1->topLevelItem(int(row))->setText(colProcess, Q(text));
}

void TMainForm::SetRowVersion(std::size_t row, const std::string& text) {
    ListView1->topLevelItem(int(row))->setText(colVersion, Q(text));
}

void TMainForm::AppendLog(const std::string& line) {
    Memo2->appendPlainText(Q(line));
}

void TMainForm::SetStartEnabled(bool enabled) {
    Button2->setEnabled(enabled);
    btnRetryFailed->setEnabled(enabled && !scheduler_.RetriableRows().empty());
    btnSaveReport->setEnabled(enabled && scheduler_.Round() > 0);
}

int TMainForm::ThreadsLimit() const {
    // The text as it stands, also while it is being typed: not a whole number counts as 0.
    bool whole = false;
    const int threads = SpinEdit1->cleanText().toInt(&whole);
    return whole ? threads : 0;
}
