// The main window of Pelmora: the device list, the search, the device commands, the device-list
// files, the language menu and the about box. It owns the rows, the language document and the
// settings from creation to close.
#pragma once

#include <QMainWindow>
#include <QString>
#include <array>
#include <memory>
#include <optional>

#include "common/xmlobj.h"
#include "manager/catalogue/catalogue.h"
#include "manager/settings/sysconfig.h"
#include "manager/shell/devicelist.h"
#include "manager/shell/deviceprocs.h"
#include "manager/shell/offthreadaccess.h"

class IPrompter;
class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QTimer;
class QToolBar;
class QTreeView;
class TDeviceListModel;
class TFrmHelp;
class TFrmSearchWait;
class TListFilterBox;

// What the window is given: the device-access library, the prompter for every message box, the
// per-user and per-machine settings stores, the program folder and the program file, the
// command-line device text, the login dialog step (null: TFrmLogin) and the property editor.
struct TFrmMainDeps {
    IDeviceAccess* access = nullptr;
    IPrompter* prompter = nullptr;
    ISettingsStore* userStore = nullptr;
    ISettingsStore* machineStore = nullptr;
    QString programFolder;
    QString programFile;
    QString commandLineText;
    TAskLogin askLogin;
    TEditProperties editProperties;
};

class TFrmMain : public QMainWindow {
    Q_OBJECT
  public:
    explicit TFrmMain(TFrmMainDeps deps, QWidget* parent = nullptr);
    ~TFrmMain() override;

    const QString& ProgramFolder() const { return programFolder_; }
    QString DataFolder() const { return programFolder_ + "Data/"; }
    TDeviceList& List() { return list_; }
    TDeviceProcs& Procs() { return *procs_; }
    bool Busy() const { return busy_; }
    bool Searching() const { return searching_; }

    // The run status words (the params core's lists), reloaded on each language change.
    std::array<QString, 2> TerminalStatusWords() const;
    std::array<QString, 14> WorkStatusWords() const;

    // The rows selected in the list, in list order.
    std::vector<std::size_t> SelectedRows() const;
    std::optional<std::size_t> SelectedRow() const;
    void SelectRow(std::size_t row);

    // Applies a device text to the list and opens the resulting row's properties.
    void ShowDeviceFromText(const TDeviceText& text);
    // A device text from another program: brings the window forward, then applies it unless a
    // command or dialog is running.
    void ReceiveDeviceText(const QString& text);
    // A second start: bring the window forward, restoring it when minimised or hidden.
    void BringToFront();

    void ApplyLanguage(int index, bool reportWriteError);

    // Commands.
    void tlBtnSearchClick();
    void tlBtnAddClick();
    void tlBtnModifyClick();
    void tlBtnDeleteClick();
    void tlBtnContactsClick();
    void tlBtnMulticastClick();
    void tlBtnAboutClick();
    void NOpenListClick();
    void NSaveListClick();
    // A CSV file or workbook of the list's rows as shown.
    void NExportListClick();
    void PDevResetClick();
    void OpenDeviceProperties();
    // The upgrade commands: every row, or only the selected rows.
    void UpgradeDevices(bool selectedOnly);
    // "Apply settings plan…": the plan window; the rows of written terminals are updated.
    void NApplyPlanClick();
    // "Download address books…": the selected rows' terminals in the site download window.
    void NSiteDownloadClick();
    // "User guide" (F1): the guide in the help window, in the current language.
    void NUserGuideClick();

    // Controls, named after their kind.
    QTreeView* MainListView;
    QLineEdit* edtFilter;  // above the list: shows only the rows holding its text
    QToolBar* ToolBar1;
    QAction *tlBtnSearch, *tlBtnAdd, *tlBtnModify, *tlBtnDelete, *tlBtnContacts, *tlBtnMulticast,
        *tbBtnUpgrade, *tlBtnAbout, *tlBtnQuit;
    QMenu *NDevice, *NTools, *NLanguage, *NHelp;
    QAction *NSearch, *NOpenList, *NSaveList, *NQuit, *NUpgrade, *NUserGuide, *NAbout;
    QAction* NExportList;
    QAction* NApplyPlan;
    QAction *NSiteDownload, *PDevSiteDownload;
    QAction *NContacts, *NMulticast;  // Tools menu: the toolbar's Contacts and Multicast
    QMenu* PopupMenu1;
    QAction *PDevAdd, *PDevModify, *PDevDelete, *PDevUpgrade, *PDevReset, *PDevProperty;
    QLabel *StatusPanel0, *StatusPanel1, *StatusPanel2;
    QLabel* lblFilterCount;               // "N of M shown" while the filter holds a text
    TFrmSearchWait* pnlSearch = nullptr;  // while a search runs
    TFrmHelp* helpWindow_ = nullptr;      // once the guide has been opened

  signals:
    void searchFinished();

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    // The property editor with this window's prompter, folder, login and model names.
    TEditProperties EditorRunner();
    void FormCreate();
    void CreateActions();
    void CreateMenus();
    void CreateList();
    void CreateStatusBar();
    void BuildLanguageMenu();
    void CheckLanguageEntry(int index);
    void Timer1Timer();
    void UpdateCommands();
    void UpdateToolTips();
    void NameList();
    void RefreshCount();
    void FitLastColumn();
    void RefitColumns();
    void SortColumn(int viewColumn);
    void ShowSearchBox(int maximum);
    void HideSearchBox();
    QStringList AccountPairs() const;
    void AppendBooksRow(const QString& account, const QString& name, const QString& ip);
    void ShowFileError(const std::string& error);
    // A file shipped with the program: in the program folder, else beside the program file.
    std::string ShippedFile(const std::string& name) const;

    IDeviceAccess& access_;               // the library, which takes one call at a time
    TOffThreadDeviceAccess procsAccess_;  // the device procedures' calls
    IPrompter& prompter_;
    QString programFolder_;
    QString programFile_;
    ISettingsStore* machineStore_;
    TSysConfigPlace configPlace_;
    ISettingsStore* userStore_;
    QString commandLineText_;
    TAskLogin askLogin_;
    std::unique_ptr<TDeviceProcs> procs_;
    TEditProperties editProperties_;
    TDeviceList list_;
    TDeviceListModel* model_ = nullptr;
    TListFilterBox* filter_ = nullptr;
    TDevicePropertyList catalogue_;
    TMyXmlobj language_;
    TSysConfig config_;
    bool busy_ = false;
    bool searching_ = false;
    bool closePending_ = false;
    bool shownOnce_ = false;
    qint64 lastSearchMs_ = 1000;  // length of the last full search, for its progress
    QTimer* Timer1;
    QTimer* Timer2;
};
