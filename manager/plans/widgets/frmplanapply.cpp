#include "manager/plans/widgets/frmplanapply.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "common/widgets/formtranslation.h"
#include "common/widgets/keymessage.h"
#include "common/widgets/prompter.h"
#include "common/widgets/tablefilters.h"

namespace {

constexpr std::string_view kMessages = "FrmPlanApply";

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The result word shown in the window, in the current language.
QString OutcomeCaption(TPlanOutcome outcome) {
    static const struct {
        TPlanOutcome outcome;
        const char* text;
    } kWords[] = {
        {TPlanOutcome::kChanged, "已修改"},     {TPlanOutcome::kUnchanged, "无需修改"},
        {TPlanOutcome::kWouldChange, "将修改"}, {TPlanOutcome::kNotFound, "未找到"},
        {TPlanOutcome::kRefused, "被拒绝"},     {TPlanOutcome::kNotApplied, "未应用"},
    };
    for (std::size_t i = 0; i < std::size(kWords); ++i)
        if (kWords[i].outcome == outcome)
            return TrText("Pelmora/Common/PlanResult/keyWord" + std::to_string(i + 1),
                          QString::fromUtf8(kWords[i].text));
    return {};
}

QTreeWidget* NewTable(QWidget* parent, const char* name, const QStringList& headings) {
    auto* table = new QTreeWidget(parent);
    table->setObjectName(name);
    table->setRootIsDecorated(false);
    table->setUniformRowHeights(true);
    table->setAllColumnsShowFocus(true);
    table->setHeaderLabels(headings);
    table->header()->setStretchLastSection(true);
    return table;
}

QPushButton* NewButton(QWidget* parent, const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

TFrmPlanApply::TFrmPlanApply(IDeviceAccess& access, IPrompter& prompter, TPlanLoginAsker askLogin,
                             QString folder, QWidget* parent)
    : QDialog(parent),
      access_(access),
      prompter_(prompter),
      askLogin_(std::move(askLogin)),
      folder_(std::move(folder)) {
    setObjectName("FrmPlanApply");
    setWindowTitle(QStringLiteral("应用设置计划"));
    lblPlanFile = new QLabel(QStringLiteral("设置计划"), this);
    lblPlanFile->setObjectName("lblPlanFile");
    edtPlanFile = new QLineEdit(this);
    edtPlanFile->setObjectName("edtPlanFile");
    edtPlanFile->setReadOnly(true);
    btnOpenPlan = NewButton(this, "btnOpenPlan", QStringLiteral("打开(&O)…"));
    lblPreview = new QLabel(QStringLiteral("将要修改的参数"), this);
    lblPreview->setObjectName("lblPreview");
    lvPreview = NewTable(this, "lvPreview",
                         {QStringLiteral("终端"), QStringLiteral("参数"), QStringLiteral("当前值"),
                          QStringLiteral("新值")});
    lblResults = new QLabel(QStringLiteral("各终端结果"), this);
    lblResults->setObjectName("lblResults");
    lvResults =
        NewTable(this, "lvResults",
                 {QStringLiteral("行"), QStringLiteral("终端"), QStringLiteral("IP 地址"),
                  QStringLiteral("结果"), QStringLiteral("说明"), QStringLiteral("修改的参数")});
    prgApply = new QProgressBar(this);
    prgApply->setObjectName("prgApply");
    prgApply->setValue(0);
    btnApply = NewButton(this, "btnApply", QStringLiteral("应  用(&A)"));
    btnStop = NewButton(this, "btnStop", QStringLiteral("停  止(&T)"));
    btnSaveReport = NewButton(this, "btnSaveReport", QStringLiteral("保存报告(&P)…"));
    btnClose = NewButton(this, "btnClose", QStringLiteral("关  闭(&C)"));

    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(lblPlanFile);
    fileRow->addWidget(edtPlanFile, 1);
    fileRow->addWidget(btnOpenPlan);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(prgApply, 1);
    for (QPushButton* button : {btnApply, btnStop, btnSaveReport, btnClose})
        buttons->addWidget(button);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fileRow);
    layout->addWidget(lblPreview);
    layout->addWidget(lvPreview, 1);
    layout->addWidget(lblResults);
    layout->addWidget(lvResults, 1);
    layout->addLayout(buttons);
    resize(860, 560);

    connect(btnOpenPlan, &QPushButton::clicked, this, &TFrmPlanApply::btnOpenPlanClick);
    connect(btnApply, &QPushButton::clicked, this, &TFrmPlanApply::btnApplyClick);
    connect(btnStop, &QPushButton::clicked, this, &TFrmPlanApply::btnStopClick);
    connect(btnSaveReport, &QPushButton::clicked, this, &TFrmPlanApply::btnSaveReportClick);
    connect(btnClose, &QPushButton::clicked, this, &TFrmPlanApply::reject);
    UpdateButtons();
}

TFrmPlanApply::~TFrmPlanApply() {
    if (!worker_) return;
    // The worker may be waiting for the login dialog on this thread: keep serving it.
    stop_ = true;
    while (!worker_->wait(10))
        QCoreApplication::processEvents();
    delete worker_;
}

void TFrmPlanApply::reject() {
    // Closing waits for the current terminal: a block half-way to a terminal is not abandoned.
    if (Running()) {
        btnStopClick();
        return;
    }
    QDialog::reject();
}

bool TFrmPlanApply::LoadPlan(const QString& path) {
    if (Running()) return false;
    TPlan plan;
    std::vector<TPlanError> errors;
    const bool ok = LoadPlanFile(path.toStdString(), plan, errors);
    plan_.reset();
    results_.clear();
    lvPreview->clear();
    lvResults->clear();
    prgApply->setValue(0);
    edtPlanFile->setText(path);
    if (!ok) {
        QStringList lines;
        for (const TPlanError& error : errors)
            lines << Q(error.line > 0 ? PlanErrorText(error) : error.text);
        ShowKeyMessage(prompter_, this, IPrompter::Kind::Error, kMessages, 1,
                       QStringLiteral("设置计划有误，未应用任何设置：\n%s"), {lines.join('\n')},
                       windowTitle());
        UpdateButtons();
        return false;
    }
    plan_ = std::move(plan);
    Start(true);
    return true;
}

void TFrmPlanApply::btnOpenPlanClick() {
    const QString path =
        prompter_.OpenFileName(this, windowTitle(), folder_, QString::fromUtf8(kTableOpenFilter));
    if (!path.isEmpty()) LoadPlan(path);
}

void TFrmPlanApply::btnApplyClick() {
    if (!plan_ || Running()) return;
    credentials_.reset();
    Start(false);
}

void TFrmPlanApply::btnStopClick() {
    stop_ = true;
    UpdateButtons();
}

void TFrmPlanApply::btnSaveReportClick() {
    const QString path = prompter_.SaveFileName(this, btnSaveReport->text(), folder_,
                                                QString::fromUtf8(kTableSaveFilter), "csv");
    if (path.isEmpty()) return;
    std::string error;
    const TTableCells report = PlanReportTable(results_);
    if (!WriteTableFile(path.toStdString(), report.header, report.rows, &error))
        ShowKeyMessage(prompter_, this, IPrompter::Kind::Error, kMessages, 2,
                       QStringLiteral("保存报告失败：%s"), {Q(error)}, windowTitle());
}

void TFrmPlanApply::Start(bool dryRun) {
    dryRun_ = dryRun;
    stop_ = false;
    lvPreview->clear();
    lvResults->clear();
    results_.clear();
    for (const TPlanRow& row : plan_->rows)
        new QTreeWidgetItem(lvResults, {QString::number(row.line), Q(row.terminal)});
    prgApply->setRange(0, static_cast<int>(plan_->rows.size()));
    prgApply->setValue(0);

    TPlanRunOptions options;
    options.dryRun = dryRun;
    options.stopRequested = [this] { return stop_.load(); };
    options.progress = [this](std::size_t index, const TPlanResult& result) {
        QMetaObject::invokeMethod(
            this, [this, index, result] { ShowResult(index, result); }, Qt::QueuedConnection);
    };
    // The login dialog belongs to the window thread; the worker waits for its answer. The
    // credentials given once serve the other terminals of the same apply.
    options.askCredentials = [this]() -> std::optional<TLoginCredentials> {
        std::optional<TLoginCredentials> answer;
        QMetaObject::invokeMethod(
            this,
            [this, &answer] {
                if (!credentials_ && askLogin_) credentials_ = askLogin_();
                answer = credentials_;
            },
            Qt::BlockingQueuedConnection);
        return answer;
    };
    auto results = std::make_shared<std::vector<TPlanResult>>();
    worker_ = QThread::create(
        [this, options, results, plan = *plan_] { *results = RunPlan(access_, plan, options); });
    connect(worker_, &QThread::finished, this, [this, results] {
        results_ = std::move(*results);
        RunFinished();
    });
    UpdateButtons();
    worker_->start();
}

void TFrmPlanApply::ShowResult(std::size_t index, const TPlanResult& result) {
    prgApply->setValue(static_cast<int>(index + 1));
    if (QTreeWidgetItem* item = lvResults->topLevelItem(static_cast<int>(index))) {
        item->setText(2, Q(result.address));
        item->setText(3, OutcomeCaption(result.outcome));
        item->setText(4, Q(result.detail));
        item->setText(5, Q(ChangesText(result.changes)));
    }
    if (!dryRun_) return;
    for (const TFieldChange& change : result.changes)
        new QTreeWidgetItem(
            lvPreview, {Q(result.terminal), Q(change.field), Q(change.current), Q(change.next)});
}

void TFrmPlanApply::RunFinished() {
    worker_->wait();
    delete worker_;
    worker_ = nullptr;
    for (std::size_t i = 0; i < results_.size(); ++i)
        if (results_[i].outcome == TPlanOutcome::kNotApplied) ShowResult(i, results_[i]);
    prgApply->setValue(prgApply->maximum());
    if (!dryRun_) applied_ = results_;
    UpdateButtons();
    if (dryRun_)
        emit previewFinished();
    else
        emit applyFinished();
}

void TFrmPlanApply::UpdateButtons() {
    const bool running = Running();
    bool anyChange = false;
    for (const TPlanResult& result : results_)
        anyChange = anyChange || result.outcome == TPlanOutcome::kWouldChange;
    btnOpenPlan->setEnabled(!running);
    // An apply follows its preview; a second one needs a new preview of what the terminals hold.
    btnApply->setEnabled(!running && plan_ && dryRun_ && anyChange);
    btnStop->setEnabled(running && !stop_);
    btnSaveReport->setEnabled(!running && !results_.empty());
    btnClose->setEnabled(!running);
}
