#include "manager/shell/frmmain.h"

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <QVBoxLayout>

#include "common/tablefile.h"
#include "common/translation.h"
#include "common/widgets/captiontext.h"
#include "common/widgets/formtranslation.h"
#include "common/widgets/keymessage.h"
#include "common/widgets/offthread.h"
#include "common/widgets/prompter.h"
#include "common/widgets/tablefilters.h"
#include "manager/books/widgets/bookdialogs.h"
#include "manager/books/widgets/frmsitedownload.h"
#include "manager/params/paramtexts.h"
#include "manager/params/widgets/propertyeditor.h"
#include "manager/plans/widgets/frmplanapply.h"
#include "manager/shell/devicebook.h"
#include "manager/shell/devicelistmodel.h"
#include "manager/shell/devicetext.h"
#include "manager/shell/frmabout.h"
#include "manager/shell/frmdevedit.h"
#include "manager/shell/frmhelp.h"
#include "manager/shell/frmsearchwait.h"
#include "manager/shell/guidefile.h"
#include "manager/shell/listfilterbox.h"
#include "manager/shell/networksearch.h"
#include "manager/shell/programfolder.h"
#include "manager/shell/qttranslations.h"
#include "manager/shell/shellicons.h"
#include "manager/shell/updatehandoff.h"
#include "manager/shell/updaterlauncher.h"
#include "manager/shell/windowstate.h"

namespace {

// Sets a flag for the lifetime of a command and clears it however the command ends.
class TFlagScope {
  public:
    explicit TFlagScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~TFlagScope() { flag_ = false; }
    TFlagScope(const TFlagScope&) = delete;
    TFlagScope& operator=(const TFlagScope&) = delete;

  private:
    bool& flag_;
};

void WaitMilliseconds(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

QAction* NewAction(QObject* owner, const char* name, const QString& caption) {
    auto* action = new QAction(caption, owner);
    action->setObjectName(name);
    return action;
}

// A language entry's mnemonic is its place ("&2 English"): the names, each in its own language,
// come from the language file and share no letter that could serve.
QAction* AddLanguageEntry(QMenu* menu, const QString& caption) {
    return menu->addAction(
        QStringLiteral("&%1 %2").arg(menu->actions().size() + 1).arg(LiteralCaption(caption)));
}

constexpr const char* kDatFilter = "Dat file (*.dat)";

}  // namespace

TFrmMain::TFrmMain(TFrmMainDeps deps, QWidget* parent)
    : QMainWindow(parent),
      access_(*deps.access),
      procsAccess_(access_),
      prompter_(*deps.prompter),
      programFolder_(QDir(deps.programFolder).absolutePath() + "/"),
      programFile_(deps.programFile),
      machineStore_(deps.machineStore),
      configPlace_{programFolder_.toStdString(), deps.userStore},
      userStore_(deps.userStore),
      commandLineText_(deps.commandLineText.trimmed()),
      askLogin_(deps.askLogin ? deps.askLogin : LoginDialogAsker(this)) {
    setObjectName("FrmMain");
    // The word lists live for the program run; a new main window starts from the built-in texts.
    StatusWords() = DefaultStatusWords();
    setWindowTitle(QStringLiteral("Pelmora") + VersionText());
    procs_ = std::make_unique<TDeviceProcs>(procsAccess_, prompter_, this, askLogin_);
    editProperties_ = deps.editProperties ? std::move(deps.editProperties) : EditorRunner();

    CreateActions();
    CreateMenus();
    CreateList();
    CreateStatusBar();
    filter_ = new TListFilterBox(list_, MainListView, edtFilter, lblFilterCount, this);
    resize(1000, 600);

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setSingleShot(true);
    Timer1->setInterval(10);
    connect(Timer1, &QTimer::timeout, this, &TFrmMain::Timer1Timer);
    Timer2 = new QTimer(this);
    Timer2->setObjectName("Timer2");
    Timer2->setSingleShot(true);
    Timer2->setInterval(10);
    connect(Timer2, &QTimer::timeout, this, &TFrmMain::OpenDeviceProperties);

    FormCreate();
    UpdateCommands();
    RestoreWindowState(*this, *MainListView->header(), userStore_);
}

TFrmMain::~TFrmMain() {
    // The model reads the rows, which die with this object, before Qt destroys the children.
    MainListView->setModel(nullptr);
    delete model_;
    if (TranslationDocument() == &language_) SetTranslationDocument(nullptr);
    UseQtTranslations(lang::kEnglish);
}

void TFrmMain::CreateActions() {
    tlBtnSearch = NewAction(this, "tlBtnSearch", QStringLiteral("搜  索"));
    tlBtnAdd = NewAction(this, "tlBtnAdd", QStringLiteral("添  加"));
    tlBtnModify = NewAction(this, "tlBtnModify", QStringLiteral("修  改"));
    tlBtnDelete = NewAction(this, "tlBtnDelete", QStringLiteral("删  除"));
    tlBtnContacts = NewAction(this, "tlBtnContacts", QStringLiteral("联系人"));
    tlBtnMulticast = NewAction(this, "tlBtnMulticast", QStringLiteral("组播地址"));
    tbBtnUpgrade = NewAction(this, "tbBtnUpgrade", QStringLiteral("设备升级"));
    tlBtnAbout = NewAction(this, "tlBtnAbout", QStringLiteral("关  于"));
    tlBtnQuit = NewAction(this, "tlBtnQuit", QStringLiteral("退  出"));
    tlBtnSearch->setIcon(ToolPicture(TToolPicture::Search));
    tlBtnAdd->setIcon(ToolPicture(TToolPicture::Add));
    tlBtnModify->setIcon(ToolPicture(TToolPicture::Modify));
    tlBtnDelete->setIcon(ToolPicture(TToolPicture::Delete));
    tlBtnContacts->setIcon(ToolPicture(TToolPicture::Contacts));
    tlBtnMulticast->setIcon(ToolPicture(TToolPicture::Multicast));
    tbBtnUpgrade->setIcon(ToolPicture(TToolPicture::Upgrade));
    tlBtnAbout->setIcon(ToolPicture(TToolPicture::About));
    tlBtnQuit->setIcon(ToolPicture(TToolPicture::Quit));

    // Menu entries carry mnemonics, written "(&X)" after a Chinese caption.
    NSearch = NewAction(this, "NSearch", QStringLiteral("搜    索(&S)"));
    NOpenList = NewAction(this, "NOpenList", QStringLiteral("打开设备列表(&O)"));
    NSaveList = NewAction(this, "NSaveList", QStringLiteral("保存设备列表(&A)"));
    NExportList = NewAction(this, "NExportList", QStringLiteral("导出列表(&E)…"));
    NQuit = NewAction(this, "NQuit", QStringLiteral("退    出(&Q)"));
    NUpgrade = NewAction(this, "NUpgrade", QStringLiteral("升    级(&U)"));
    NApplyPlan = NewAction(this, "NApplyPlan", QStringLiteral("应用设置计划(&P)…"));
    NSiteDownload = NewAction(this, "NSiteDownload", QStringLiteral("下载地址簿(&B)…"));
    NContacts = NewAction(this, "NContacts", QStringLiteral("联系人(&C)…"));
    NMulticast = NewAction(this, "NMulticast", QStringLiteral("组播地址(&M)…"));
    PDevSiteDownload = NewAction(this, "PDevSiteDownload", QStringLiteral("下载地址簿(&B)…"));
    NUserGuide = NewAction(this, "NUserGuide", QStringLiteral("用户指南(&G)"));
    NAbout = NewAction(this, "NAbout", QStringLiteral("关    于(&A)"));

    PDevAdd = NewAction(this, "PDevAdd", QStringLiteral("添加设备(&A)"));
    PDevModify = NewAction(this, "PDevModify", QStringLiteral("修改设备(&M)"));
    PDevDelete = NewAction(this, "PDevDelete", QStringLiteral("删除设备(&D)"));
    PDevUpgrade = NewAction(this, "PDevUpgrade", QStringLiteral("设备升级(&U)"));
    PDevReset = NewAction(this, "PDevReset", QStringLiteral("设备复位(&R)"));
    PDevProperty = NewAction(this, "PDevProperty", QStringLiteral("设备属性(&P)"));

    // Keys: one action owns each, or the key would be ambiguous and do nothing.
    NSearch->setShortcut(QKeySequence(Qt::Key_F5));
    NOpenList->setShortcut(QKeySequence::Open);
    NSaveList->setShortcut(QKeySequence::Save);
    // Written out: the platform's standard keys for quit and help are empty on some systems.
    NQuit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    NUserGuide->setShortcut(QKeySequence(Qt::Key_F1));
    tlBtnDelete->setShortcut(QKeySequence::Delete);
    PDevProperty->setShortcuts({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    PDevProperty->setShortcutContext(Qt::WidgetShortcut);  // the list's, added in CreateList

    for (QAction* search : {tlBtnSearch, NSearch})
        connect(search, &QAction::triggered, this, &TFrmMain::tlBtnSearchClick);
    for (QAction* add : {tlBtnAdd, PDevAdd})
        connect(add, &QAction::triggered, this, &TFrmMain::tlBtnAddClick);
    for (QAction* modify : {tlBtnModify, PDevModify})
        connect(modify, &QAction::triggered, this, &TFrmMain::tlBtnModifyClick);
    for (QAction* remove : {tlBtnDelete, PDevDelete})
        connect(remove, &QAction::triggered, this, &TFrmMain::tlBtnDeleteClick);
    for (QAction* contacts : {tlBtnContacts, NContacts})
        connect(contacts, &QAction::triggered, this, &TFrmMain::tlBtnContactsClick);
    for (QAction* multicast : {tlBtnMulticast, NMulticast})
        connect(multicast, &QAction::triggered, this, &TFrmMain::tlBtnMulticastClick);
    for (QAction* about : {tlBtnAbout, NAbout})
        connect(about, &QAction::triggered, this, &TFrmMain::tlBtnAboutClick);
    for (QAction* quit : {tlBtnQuit, NQuit})
        connect(quit, &QAction::triggered, this, &QWidget::close);
    for (QAction* upgrade : {tbBtnUpgrade, NUpgrade})
        connect(upgrade, &QAction::triggered, this, [this] { UpgradeDevices(false); });
    connect(PDevUpgrade, &QAction::triggered, this, [this] { UpgradeDevices(true); });
    connect(NApplyPlan, &QAction::triggered, this, &TFrmMain::NApplyPlanClick);
    for (QAction* download : {NSiteDownload, PDevSiteDownload})
        connect(download, &QAction::triggered, this, &TFrmMain::NSiteDownloadClick);
    connect(NUserGuide, &QAction::triggered, this, &TFrmMain::NUserGuideClick);
    connect(NOpenList, &QAction::triggered, this, &TFrmMain::NOpenListClick);
    connect(NSaveList, &QAction::triggered, this, &TFrmMain::NSaveListClick);
    connect(NExportList, &QAction::triggered, this, &TFrmMain::NExportListClick);
    connect(PDevReset, &QAction::triggered, this, &TFrmMain::PDevResetClick);
    connect(PDevProperty, &QAction::triggered, this, &TFrmMain::OpenDeviceProperties);
}

void TFrmMain::CreateMenus() {
    NDevice = menuBar()->addMenu(QStringLiteral("设备(&D)"));
    NDevice->setObjectName("NDevice");
    NDevice->addAction(NSearch);
    NDevice->addSeparator();
    NDevice->addAction(NOpenList);
    NDevice->addAction(NSaveList);
    NDevice->addAction(NExportList);
    NDevice->addSeparator();
    NDevice->addAction(NQuit);
    NTools = menuBar()->addMenu(QStringLiteral("工具(&T)"));
    NTools->setObjectName("NTools");
    NTools->addAction(NUpgrade);
    NTools->addAction(NApplyPlan);
    NTools->addAction(NSiteDownload);
    // The address books that the download sends, beside it.
    NTools->addAction(NContacts);
    NTools->addAction(NMulticast);
    NLanguage = menuBar()->addMenu(QStringLiteral("语言(&L)"));
    NLanguage->setObjectName("NLanguage");
    NHelp = menuBar()->addMenu(QStringLiteral("帮助(&H)"));
    NHelp->setObjectName("NHelp");
    NHelp->addAction(NUserGuide);
    NHelp->addAction(NAbout);
    // F10 opens the menu bar at its first menu, as on the desktops installers know.
    auto* menuKey = new QAction(this);
    menuKey->setShortcut(QKeySequence(Qt::Key_F10));
    connect(menuKey, &QAction::triggered, this,
            [this] { menuBar()->setActiveAction(NDevice->menuAction()); });
    addAction(menuKey);

    ToolBar1 = addToolBar(QStringLiteral("ToolBar1"));
    ToolBar1->setObjectName("ToolBar1");
    ToolBar1->setMovable(false);
    ToolBar1->setIconSize(QSize(32, 32));
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    for (QAction* action : {tlBtnSearch, tlBtnAdd, tlBtnModify, tlBtnDelete, tlBtnContacts,
                            tlBtnMulticast, tbBtnUpgrade, tlBtnAbout, tlBtnQuit})
        ToolBar1->addAction(action);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    for (QAction* action : {PDevAdd, PDevModify, PDevDelete, PDevUpgrade, PDevReset, PDevProperty})
        PopupMenu1->addAction(action);
    PopupMenu1->addAction(PDevSiteDownload);
}

void TFrmMain::CreateList() {
    model_ = new TDeviceListModel(list_, this);
    MainListView = new QTreeView(this);
    MainListView->setObjectName("MainListView");
    MainListView->setModel(model_);
    MainListView->setRootIsDecorated(false);
    MainListView->setUniformRowHeights(true);
    MainListView->setAllColumnsShowFocus(true);
    MainListView->setSelectionBehavior(QAbstractItemView::SelectRows);
    MainListView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    MainListView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    MainListView->setIconSize(QSize(16, 16));
    MainListView->setContextMenuPolicy(Qt::CustomContextMenu);
    MainListView->header()->setSectionsClickable(true);
    MainListView->header()->setStretchLastSection(false);
    for (int column = 0; column < TDeviceListModel::kViewColumns; ++column)
        MainListView->setColumnWidth(column, TDeviceListModel::kInitialWidths[column]);
    // The state column holds an icon and "Offline"; with a font larger than the classic 9-point
    // one its 65 pixels would cut the word.
    const int stateWidth =
        MainListView->iconSize().width() +
        MainListView->fontMetrics().horizontalAdvance(QStringLiteral("Offline")) + 24;
    MainListView->setColumnWidth(0, std::max(MainListView->columnWidth(0), stateWidth));
    edtFilter = new QLineEdit(this);
    edtFilter->setObjectName("edtFilter");
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(edtFilter);
    layout->addWidget(MainListView);
    setCentralWidget(central);
    NameList();

    MainListView->addAction(PDevProperty);  // Enter in the list opens the properties
    connect(MainListView->header(), &QHeaderView::sectionClicked, this, &TFrmMain::SortColumn);
    connect(MainListView, &QTreeView::doubleClicked, this, &TFrmMain::OpenDeviceProperties);
    connect(MainListView, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        PopupMenu1->popup(MainListView->viewport()->mapToGlobal(at));
    });
    connect(MainListView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TFrmMain::UpdateCommands);
    for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(model_, signal, this, [this] {
            RefreshCount();
            UpdateCommands();
        });
    connect(model_, &QAbstractItemModel::dataChanged, this, &TFrmMain::UpdateCommands);
    connect(model_, &QAbstractItemModel::layoutChanged, this, &TFrmMain::UpdateCommands);
}

void TFrmMain::CreateStatusBar() {
    statusBar()->setObjectName("StatusBar1");
    StatusPanel0 = new QLabel(QStringLiteral("设备数量："), statusBar());
    StatusPanel1 = new QLabel(QStringLiteral("0"), statusBar());
    StatusPanel1->setMinimumWidth(60);
    StatusPanel2 = new QLabel(QString(), statusBar());
    statusBar()->addWidget(StatusPanel0);
    statusBar()->addWidget(StatusPanel1);
    statusBar()->addWidget(StatusPanel2, 1);
    lblFilterCount = new QLabel(QString(), statusBar());
    lblFilterCount->setObjectName("lblFilterCount");
    statusBar()->addPermanentWidget(lblFilterCount);
}

void TFrmMain::FormCreate() {
    busy_ = false;
    catalogue_ = LoadCatalogue(ShippedFile("license.dat"));
    ReadSysConfig(configPlace_, std::string(), config_);
    list_.SetModelNaming(
        {[this](const std::string& model) { return catalogue_.CatalogueDisplayName(model); },
         config_.ShowUnknowDeviceType});

    SetTranslationDocument(&language_);
    const QString languageFile = QString::fromStdString(ShippedFile("lang/Pelmora.xml"));
    if (QFileInfo::exists(languageFile)) {
        language_.Load(languageFile.toStdString());
        BuildLanguageMenu();
        ApplyLanguage(config_.Language, /*reportWriteError=*/false);
        CheckLanguageEntry(config_.Language);
    } else {
        for (const QString& caption :
             {QStringLiteral("简体中文"), QStringLiteral("English"), QStringLiteral("繁体中文")})
            AddLanguageEntry(NLanguage, caption)->setEnabled(false);
        UseQtTranslations(lang::kChineseSimplified);  // the built-in texts' language
    }
    if (machineStore_ != nullptr) {
        const std::string error = SaveProgramPath(*machineStore_, programFile_.toStdString());
        if (!error.empty()) ShowFileError(error);
    }
}

std::string TFrmMain::ShippedFile(const std::string& name) const {
    return ::ShippedFile(programFolder_.toStdString(),
                         QFileInfo(programFile_).absolutePath().toStdString(), name);
}

void TFrmMain::BuildLanguageMenu() {
    NLanguage->clear();
    for (const TLanguageEntry& entry : LanguageMenuEntries(language_)) {
        QAction* action = AddLanguageEntry(NLanguage, Q(entry.caption));
        action->setData(entry.index);
        connect(action, &QAction::triggered, this, [this, action] {
            const int index = action->data().toInt();
            CheckLanguageEntry(index);
            ApplyLanguage(index, /*reportWriteError=*/true);
        });
    }
}

// The entry of the current language is disabled, every other one enabled.
void TFrmMain::CheckLanguageEntry(int index) {
    for (QAction* action : NLanguage->actions())
        action->setEnabled(action->data().toInt() != index);
}

void TFrmMain::ApplyLanguage(int index, bool reportWriteError) {
    SetLanguage(language_, index);
    config_.Language = index;
    TranslateForm(this, language_);
    UseQtTranslations(index);
    RefitColumns();
    setWindowTitle(TrText("Pelmora/TFrmMain/self.Caption", QStringLiteral("Pelmora")).trimmed() +
                   VersionText());
    UpdateToolTips();
    if (filter_) filter_->Retranslate();
    NameList();
    ReloadStatusWords(StatusWords());
    // At start a program folder that cannot be written (a read-only install) is no reason for a
    // message box at every start; the user's own language choice reports it.
    std::string error;
    if (!WriteSysConfig(configPlace_, std::string(), config_, &error) && reportWriteError)
        ShowFileError(error);
}

namespace {
template <std::size_t N>
std::array<QString, N> ToQStrings(const std::array<std::string, N>& words) {
    std::array<QString, N> out;
    for (std::size_t n = 0; n < N; ++n)
        out[n] = QString::fromStdString(words[n]);
    return out;
}
}  // namespace

std::array<QString, 2> TFrmMain::TerminalStatusWords() const {
    return ToQStrings(StatusWords().terminal);
}

std::array<QString, 14> TFrmMain::WorkStatusWords() const {
    return ToQStrings(StatusWords().work);
}

void TFrmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shownOnce_) return;
    shownOnce_ = true;
    const TFileResult loaded = LoadDeviceFile(
        (programFolder_ + QString::fromLatin1(kDeviceBookFile)).toStdString(), true, list_);
    if (!loaded.ok) ShowFileError(loaded.error);
    Timer1->start();
}

void TFrmMain::Timer1Timer() {
    Timer1->stop();
    FitLastColumn();
    tlBtnSearchClick();
    if (!commandLineText_.isEmpty() && !busy_)
        ShowDeviceFromText(ParseDeviceText(commandLineText_.toStdString()));
}

void TFrmMain::FitLastColumn() {
    std::vector<int> widths;
    for (int column = 0; column < TDeviceListModel::kViewColumns; ++column)
        widths.push_back(MainListView->columnWidth(column));
    const int width = FitLastColumnWidth(MainListView->width(), widths,
                                         MainListView->verticalScrollBar()->isVisible());
    MainListView->setColumnWidth(TDeviceListModel::kViewColumns - 1, width);
}

// After a language change no heading is cut: a column narrower than its heading widens.
void TFrmMain::RefitColumns() {
    QHeaderView* header = MainListView->header();
    for (int column = 0; column < TDeviceListModel::kViewColumns; ++column)
        MainListView->setColumnWidth(
            column, std::max(MainListView->columnWidth(column), header->sectionSizeHint(column)));
}

void TFrmMain::RefreshCount() {
    StatusPanel1->setText(QString::number(list_.RowCount()));
}

std::vector<std::size_t> TFrmMain::SelectedRows() const {
    std::vector<std::size_t> rows;
    for (const QModelIndex& index : MainListView->selectionModel()->selectedRows())
        rows.push_back(static_cast<std::size_t>(index.row()));
    std::sort(rows.begin(), rows.end());
    return rows;
}

std::optional<std::size_t> TFrmMain::SelectedRow() const {
    const std::vector<std::size_t> rows = SelectedRows();
    if (rows.empty()) return std::nullopt;
    return rows.front();
}

void TFrmMain::SelectRow(std::size_t row) {
    // A row chosen for the user (a device text) is shown even when the filter hides it.
    if (MainListView->isRowHidden(static_cast<int>(row), QModelIndex())) edtFilter->clear();
    const QModelIndex index = model_->index(static_cast<int>(row), 0);
    MainListView->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    MainListView->scrollTo(index);
}

void TFrmMain::UpdateCommands() {
    const std::optional<std::size_t> selected = SelectedRow();
    const bool books = selected && list_.Row(*selected).IsBooks();
    const bool reachable = selected && list_.Row(*selected).icon != kIconUnreachable;
    // Every row a search changes comes here: the tooltips only when their buttons change.
    const bool tipsChange = tlBtnModify->isEnabled() != books;
    for (QAction* action : {tlBtnModify, tlBtnDelete, PDevModify, PDevDelete})
        action->setEnabled(books);
    // Without a selected row the row commands have nothing to act on.
    for (QAction* action : {PDevUpgrade, PDevReset, PDevProperty})
        action->setEnabled(reachable);
    for (QAction* action : {NSiteDownload, PDevSiteDownload})
        action->setEnabled(selected.has_value());
    if (tipsChange) UpdateToolTips();
}

// Each toolbar button says what it does and, while disabled, what it waits for.
void TFrmMain::UpdateToolTips() {
    struct TTip {
        QAction* action;
        const char* text;
        const char* whyDisabled;  // null: none
    };
    static const char* selectBooksRow = "请先在列表中选中Books中的一行";
    const TTip tips[] = {
        {tlBtnSearch, "搜索局域网中的设备并检查Books中的设备（F5）", nullptr},
        {tlBtnAdd, "把一台设备添加到Books", nullptr},
        {tlBtnModify, "修改选中的Books设备的账号、名称和IP地址", selectBooksRow},
        {tlBtnDelete, "从Books中删除选中的设备（Delete）", selectBooksRow},
        {tlBtnContacts, "编辑联系人列表", nullptr},
        {tlBtnMulticast, "编辑组播地址列表", nullptr},
        {tbBtnUpgrade, "把列表中的设备交给固件升级程序", nullptr},
        {tlBtnAbout, "显示程序的版本和日期", nullptr},
        {tlBtnQuit, "保存设备簿并退出", nullptr},
    };
    for (const TTip& tip : tips) {
        const std::string key = "Pelmora/TFrmMain/" + tip.action->objectName().toStdString();
        QString text = TrText(key + ".Hint", QString::fromUtf8(tip.text));
        if (!tip.action->isEnabled() && tip.whyDisabled)
            text += "\n" + TrText(key + ".Hint1", QString::fromUtf8(tip.whyDisabled));
        tip.action->setToolTip(text);
    }
}

// The list has no label of its own to take its name from.
void TFrmMain::NameList() {
    MainListView->setAccessibleName(
        TrText("Pelmora/TFrmMain/MainListView.AccessibleName", QStringLiteral("设备列表")));
    edtFilter->setAccessibleName(
        TrText("Pelmora/TFrmMain/edtFilter.AccessibleName", QStringLiteral("查找设备")));
}

void TFrmMain::NUserGuideClick() {
    const std::string guide =
        GuideFile(QFileInfo(programFile_).absolutePath().toStdString(), config_.Language);
    if (guide.empty()) {
        ShowKeyMessage(prompter_, this, IPrompter::Kind::Error, "FrmHelp", 1,
                       QStringLiteral("找不到用户指南"));
        return;
    }
    // One help window, kept until the main window closes; F1 brings it forward again.
    if (helpWindow_ == nullptr) helpWindow_ = new TFrmHelp(QString::fromStdString(guide), this);
    helpWindow_->show();
    helpWindow_->raise();
    helpWindow_->activateWindow();
}

void TFrmMain::SortColumn(int viewColumn) {
    // The selection and the current row follow their rows (the model reorders, it does not reset).
    list_.SortByColumn(TDeviceListModel::ListColumn(viewColumn));
}

void TFrmMain::ShowFileError(const std::string& error) {
    prompter_.Message(this, IPrompter::Kind::Error, QStringLiteral("Pelmora"), Q(error));
}

// --- search ---------------------------------------------------------------------------------

void TFrmMain::ShowSearchBox(int maximum) {
    pnlSearch = new TFrmSearchWait(maximum, this);
    TranslateForm(pnlSearch, language_);
    pnlSearch->resize(360, pnlSearch->sizeHint().height());
    pnlSearch->move((width() - pnlSearch->width()) / 2,
                    height() - pnlSearch->height() - statusBar()->height() - 50);
    pnlSearch->show();
    pnlSearch->raise();
}

void TFrmMain::HideSearchBox() {
    delete pnlSearch;
    pnlSearch = nullptr;
}

void TFrmMain::tlBtnSearchClick() {
    if (searching_) return;
    searching_ = true;
    struct TEnd {
        TFrmMain* window;
        ~TEnd() {
            window->HideSearchBox();
            window->searching_ = false;
            emit window->searchFinished();
            if (window->closePending_) QTimer::singleShot(0, window, &QWidget::close);
        }
    } end{this};

    ShowSearchBox(static_cast<int>(list_.RowCount()) + 1);
    QCoreApplication::processEvents();
    // The library answers only at the end of its search window: the bar moves by the time gone
    // against the last search's length (most of the window at most, until the answer comes).
    QElapsedTimer elapsed;
    elapsed.start();
    QTimer pulse;
    connect(&pulse, &QTimer::timeout, this, [this, &elapsed] {
        pnlSearch->SetSearchElapsed(0.95 * static_cast<double>(elapsed.elapsed()) /
                                    static_cast<double>(std::max<qint64>(lastSearchMs_, 1)));
    });
    pulse.start(50);
    const TSearchAllResult found = RunOffWindowThread([this] { return RunSearchAll(access_); });
    pulse.stop();
    lastSearchMs_ = std::max<qint64>(elapsed.elapsed(), 100);
    QCoreApplication::processEvents();
    ApplySearchAll(list_, found);
    pnlSearch->SetProgress(1);
    QCoreApplication::processEvents();
    int progress = 1;
    for (TBooksQuery& query : PlanBooksQueries(list_)) {
        // A device text handled between two lookups may have changed or removed the row.
        if (RefreshQuery(list_, query)) {
            const TBooksAnswer answer =
                RunOffWindowThread([this, &query] { return LookUpBooksRow(access_, query); });
            ApplyBooksAnswer(list_, query, answer);
        }
        pnlSearch->SetProgress(++progress);
        QCoreApplication::processEvents();
    }
    RefreshCount();
    pnlSearch->Finish();
    WaitMilliseconds(50);
}

// --- device texts ---------------------------------------------------------------------------

void TFrmMain::ShowDeviceFromText(const TDeviceText& text) {
    const std::size_t row = list_.MergeDeviceText(text);
    RefreshCount();
    if (busy_) return;
    SelectRow(row);
    Timer2->start();
}

void TFrmMain::BringToFront() {
    if (isMinimized() || !isVisible()) showNormal();
    raise();
    activateWindow();
}

void TFrmMain::ReceiveDeviceText(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) return;
    BringToFront();
    if (busy_) return;
    ShowDeviceFromText(ParseDeviceText(trimmed.toStdString()));
}

// --- row commands ---------------------------------------------------------------------------

QStringList TFrmMain::AccountPairs() const {
    QStringList pairs;
    for (const TDeviceRow& row : list_.Rows())
        pairs << Q(row.columns[kColAccount]) + "=" + Q(row.columns[kColIp]);
    return pairs;
}

void TFrmMain::AppendBooksRow(const QString& account, const QString& name, const QString& ip) {
    TDeviceRow row;
    row.state = std::string(kStateOffline);
    row.columns[kColAccount] = account.toStdString();
    row.columns[kColDisplayName] = name.toStdString();
    row.columns[kColIp] = ip.toStdString();
    row.columns[kColLocation] = std::string(kLocationBooks);
    row.icon = kIconUnreachable;
    SelectRow(list_.AppendRow(std::move(row)));
}

void TFrmMain::tlBtnAddClick() {
    TFlagScope busy(busy_);
    TFrmDevEdit dialog(TFrmDevEdit::TMode::Add, AccountPairs(), QString(), prompter_, this);
    dialog.SetAddRow([this](const QString& account, const QString& name, const QString& ip) {
        AppendBooksRow(account, name, ip);
    });
    TranslateForm(&dialog, language_);
    dialog.exec();
}

void TFrmMain::tlBtnModifyClick() {
    const std::optional<std::size_t> selected = SelectedRow();
    if (!selected) return;
    TFlagScope busy(busy_);
    const TDeviceRow& row = list_.Row(*selected);
    const std::uint64_t id = row.id;
    TFrmDevEdit dialog(TFrmDevEdit::TMode::Modify, AccountPairs(),
                       Q(row.columns[kColAccount]).trimmed(), prompter_, this);
    dialog.SetTexts(Q(row.columns[kColAccount]), Q(row.columns[kColDisplayName]),
                    Q(row.columns[kColIp]));
    TranslateForm(&dialog, language_);
    if (dialog.exec() != QDialog::Accepted) return;
    // A device text or a search may have moved the row while the dialog was open.
    const std::optional<std::size_t> now = list_.FindRow(id, *selected);
    if (!now) return;
    list_.EditRow(*now, [&](TDeviceRow& edited) {
        edited.columns[kColAccount] = dialog.Account().toStdString();
        edited.columns[kColDisplayName] = dialog.DisplayName().toStdString();
        edited.columns[kColIp] = dialog.IpText().toStdString();
    });
}

void TFrmMain::tlBtnDeleteClick() {
    const std::optional<std::size_t> selected = SelectedRow();
    if (!selected) return;
    TFlagScope busy(busy_);
    const TDeviceRow& row = list_.Row(*selected);
    if (!row.IsBooks()) {
        ShowKeyMessage(prompter_, this, IPrompter::Kind::Error, kMainMessages, 2,
                       QStringLiteral("对不起，您只能删除Books中的设备信息"));
        return;
    }
    const std::uint64_t id = row.id;
    if (!ShowKeyMessage(prompter_, this, IPrompter::Kind::Confirmation, kMainMessages, 1,
                        QStringLiteral("您确定要删除设备信息（用户账号=%s，IP地址=%s）吗？"),
                        {Q(row.columns[kColAccount]), Q(row.columns[kColIp])}))
        return;
    if (const std::optional<std::size_t> now = list_.FindRow(id, *selected)) list_.RemoveRow(*now);
}

void TFrmMain::PDevResetClick() {
    const std::optional<std::size_t> selected = SelectedRow();
    if (!selected) return;
    TFlagScope busy(busy_);
    const TDeviceRow row = list_.Row(*selected);
    procs_->ResetDevice(row);
}

TEditProperties TFrmMain::EditorRunner() {
    return [this](const TPropertySession& session) {
        TFrmPropertyDeps deps;
        deps.prompter = &prompter_;
        deps.programFolder = programFolder_;
        deps.login = std::bind_front(&TDeviceProcs::LoginDevice, procs_.get());
        deps.logout = std::bind_front(&TDeviceProcs::LogoutDevice, procs_.get());
        // The address-book downloads' online check, off the window thread like the other calls.
        deps.searchOne = [this](const std::string& ip, TDeviceRecord* record) {
            return procsAccess_.SearchOne(ip, record);
        };
        deps.modelDisplayName = [this](const std::string& model) {
            return QString::fromStdString(list_.ModelDisplayName(model));
        };
        return RunPropertyEditor(this, deps, session.block, session.Texts());
    };
}

void TFrmMain::OpenDeviceProperties() {
    Timer2->stop();
    const std::optional<std::size_t> selected = SelectedRow();
    if (!selected) return;
    TFlagScope busy(busy_);
    const TDeviceRow row = list_.Row(*selected);
    const std::optional<TPropertySession> session = procs_->ReadDeviceProperties(row);
    // Without an editor (a build without the property editor) the read is all there is.
    if (!session || !editProperties_) return;
    const std::optional<TParamBlock> edited = editProperties_(*session);
    if (!edited || !procs_->WriteDeviceProperties(*session, *edited)) return;
    // The row that was edited, wherever it is now.
    if (const std::optional<std::size_t> now = list_.FindRow(row.id, *selected))
        list_.EditRow(*now, [&](TDeviceRow& shown) { ShowWrittenBlock(shown, *edited); });
}

void TFrmMain::UpgradeDevices(bool selectedOnly) {
    std::vector<TDevListRow> rows;
    for (const TDeviceRow& row : list_.Rows())
        rows.push_back({row.columns[kColMac], row.columns[kColIp], row.columns[kColDisplayName],
                        row.columns[kColFirmware], row.columns[kColInterface],
                        row.columns[kColModel]});
    if (selectedOnly) rows = PickHandoffRows(rows, SelectedRows());
    TFlagScope busy(busy_);
    std::string error;
    if (!WriteUpdateHandoff(programFolder_.toStdString(), rows, &error)) {
        ShowFileError(error);
        return;
    }
    // Vellup lives beside the program file; it reads the hand-off from our program folder.
    // A program that cannot be started is not reported.
    RunUpdaterAndWait(QFileInfo(programFile_).absolutePath(), programFolder_);
}

void TFrmMain::NApplyPlanClick() {
    TFlagScope busy(busy_);
    TFrmPlanApply dialog(
        access_, prompter_,
        [this]() -> std::optional<TLoginCredentials> {
            const std::optional<TLoginAnswer> answer = askLogin_();
            if (!answer) return std::nullopt;
            return TLoginCredentials{answer->user.toStdString(), answer->password.toStdString()};
        },
        programFolder_, this);
    TranslateForm(&dialog, language_);
    // The rows of the written terminals show their new texts, as after a properties write.
    connect(&dialog, &TFrmPlanApply::applyFinished, this, [this, &dialog] {
        for (const TPlanResult& result : dialog.AppliedResults())
            if (result.written)
                for (std::size_t row : list_.RowsWithMac(result.mac))
                    list_.EditRow(row,
                                  [&](TDeviceRow& r) { ShowWrittenBlock(r, *result.written); });
    });
    dialog.exec();
}

void TFrmMain::NSiteDownloadClick() {
    const std::vector<std::size_t> rows = SelectedRows();
    if (rows.empty()) return;
    TFlagScope busy(busy_);
    std::vector<TSiteCandidate> candidates;
    for (const std::size_t r : rows) {
        const TDeviceRow& row = list_.Row(r);
        candidates.push_back(SiteCandidate(row.columns[kColAccount], row.columns[kColDisplayName],
                                           row.columns[kColIp], AccessAddress(row),
                                           row.columns[kColMac], row.columns[kColModel],
                                           row.icon != kIconUnreachable));
    }
    TFrmSiteDownload dialog(access_, prompter_, programFolder_, std::move(candidates), this);
    TranslateForm(&dialog, language_);
    dialog.exec();
}

// --- files and windows ------------------------------------------------------------------------

void TFrmMain::NOpenListClick() {
    const QString path =
        prompter_.OpenFileName(this, NOpenList->text(), programFolder_, kDatFilter);
    if (path.isEmpty()) return;
    list_.ReleaseNetInfo();
    const TFileResult loaded = LoadDeviceFile(path.toStdString(), false, list_);
    if (!loaded.ok) ShowFileError(loaded.error);
}

void TFrmMain::NSaveListClick() {
    const QString path =
        prompter_.SaveFileName(this, NSaveList->text(), programFolder_, kDatFilter, "dat");
    if (path.isEmpty()) return;
    const TFileResult saved = SaveDeviceFile(path.toStdString(), list_);
    if (!saved.ok) ShowFileError(saved.error);
}

void TFrmMain::NExportListClick() {
    const QString path = prompter_.SaveFileName(this, NExportList->iconText(), programFolder_,
                                                kTableSaveFilter, "csv");
    if (path.isEmpty()) return;
    // The rows and columns as the list shows them, in its order and with its captions.
    const QAbstractItemModel* model = MainListView->model();
    TTableCells table;
    for (int c = 0; c < model->columnCount(); ++c)
        if (!MainListView->isColumnHidden(c))
            table.header.push_back(model->headerData(c, Qt::Horizontal).toString().toStdString());
    for (int r = 0; r < model->rowCount(); ++r) {
        std::vector<std::string>& cells = table.rows.emplace_back();
        for (int c = 0; c < model->columnCount(); ++c)
            if (!MainListView->isColumnHidden(c))
                cells.push_back(model->index(r, c).data().toString().toStdString());
    }
    std::string error;
    if (!WriteTableFile(path.toStdString(), table.header, table.rows, &error)) ShowFileError(error);
}

void TFrmMain::tlBtnContactsClick() {
    TFlagScope busy(busy_);
    ManageContacts({this, &prompter_, programFolder_});
}

void TFrmMain::tlBtnMulticastClick() {
    TFlagScope busy(busy_);
    ManageMulticasts({this, &prompter_, programFolder_});
}

void TFrmMain::tlBtnAboutClick() {
    TFlagScope busy(busy_);
    TFrmAbout about(programFolder_, programFile_, this);
    TranslateForm(&about, language_);
    about.exec();
}

void TFrmMain::closeEvent(QCloseEvent* event) {
    // The search is waiting on the library; the window closes when it is over.
    if (searching_) {
        closePending_ = true;
        event->ignore();
        return;
    }
    closePending_ = false;
    // The updater hand-off waits without taking input; a close request meanwhile is refused.
    if (busy_) {
        event->ignore();
        return;
    }
    const TFileResult saved = SaveDeviceFile(
        (programFolder_ + QString::fromLatin1(kDeviceBookFile)).toStdString(), list_);
    if (!saved.ok) {
        ShowFileError(saved.error);
        event->ignore();
        return;
    }
    list_.ReleaseNetInfo();
    SaveWindowState(*this, *MainListView->header(), userStore_);
    event->accept();
}
