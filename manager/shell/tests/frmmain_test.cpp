// The main window against a scripted library: start, search, commands, messages, close.
#include "manager/shell/frmmain.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <atomic>
#include <functional>
#include <map>
#include <mutex>

#include "common/devlistfile.h"
#include "common/tablefile.h"
#include "common/translation.h"
#include "common/widgets/testing/scriptedprompter.h"
#include "common/xmlobj.h"
#include "manager/access/testing/mockdeviceaccess.h"
#include "manager/books/listfile.h"
#include "manager/books/widgets/frmbookedit.h"
#include "manager/books/widgets/frmsitedownload.h"
#include "manager/settings/testing/memorysettingsstore.h"
#include "manager/shell/devicebook.h"
#include "manager/shell/frmabout.h"
#include "manager/shell/frmdevedit.h"
#include "manager/shell/frmsearchwait.h"
#include "manager/shell/singleinstance.h"
#include "manager/shell/tests/shelltestutil.h"

using ::testing::_;
using ::testing::Invoke;
using ::testing::NiceMock;
using ::testing::Return;

namespace {

// Runs fn from the event loop once ready() holds (commands run nested event loops).
void When(std::function<bool()> ready, std::function<void()> fn) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, ready, fn] {
        if (!ready()) return;
        poll->stop();
        poll->deleteLater();
        fn();
    });
    poll->start(5);
}

// Runs fn on the next modal dialog of type T once it is shown.
template <typename T>
void WhenModal(std::function<void(T*)> fn) {
    auto current = [] { return qobject_cast<T*>(QApplication::activeModalWidget()); };
    When([current] { return current() != nullptr && current()->isVisible(); },
         [current, fn] { fn(current()); });
}

const TTerminal kGate{.mac = "2.75.86.0.0.1",
                      .ip = "127.0.12.1",
                      .account = "8001",
                      .displayName = "Gate",
                      .model = "SIP520",
                      .firmware = "V2.6.0"};
const TTerminal kHall{.mac = "2.75.86.0.0.2",
                      .ip = "127.0.12.2",
                      .account = "",
                      .displayName = "Hall",
                      .model = "SIP310",
                      .firmware = "V2.4.1"};
const TTerminal kPhone{.mac = "2.75.86.0.0.3",
                       .ip = "127.0.12.3",
                       .account = "8003",
                       .displayName = "Phone",
                       .model = "Phone-X"};  // not SIP: never a row
const TTerminal kBooked{.mac = "2.75.86.0.0.9",
                        .ip = "127.0.12.9",
                        .account = "7001",
                        .displayName = "Booked",
                        .model = "SIP430",
                        .firmware = "V2.7"};

const QString kShippedLanguageFile = PELMORA_SOURCE_DIR "/data/files/lang/Pelmora.xml";

class FrmMainTest : public ::testing::Test {
  protected:
    void SetUp() override {
        UseLoopbackInterfaceOnly();
        ASSERT_TRUE(home.isValid());
        // The device book: two Books rows and one found row, which is not loaded at start.
        TDeviceList book;
        book.AppendRow(MakeRow(kBooked.mac, kBooked.ip, "Books"));
        book.AppendRow(MakeRow("", "127.0.12.50", "Books"));
        book.AppendRow(MakeRow("2.75.86.0.0.77", "127.0.12.77", "LocalNetwork"));
        ASSERT_TRUE(SaveDeviceFile(Path("devdb.dat"), book).ok);

        ON_CALL(access, SearchAll(_, _))
            .WillByDefault(Invoke([this](TDeviceRecord* records, std::int32_t* count) {
                EXPECT_EQ(*count, 1024);
                for (std::size_t i = 0; i < found.size(); ++i)
                    records[i] = MakeRecord(found[i]);
                *count = static_cast<std::int32_t>(found.size());
                return 1;
            }));
        ON_CALL(access, SearchOne(_, _))
            .WillByDefault(Invoke([](const std::string& ip, TDeviceRecord* record) {
                if (ip != kBooked.ip) return 0;
                *record = MakeRecord(kBooked);
                return 1;
            }));
    }

    std::string Path(const char* name) const {
        return QDir(home.path()).filePath(name).toStdString();
    }

    // The shipped language file, or a document of the test's own.
    void UseLanguageFile(const QByteArray& document = QByteArray()) {
        QDir(home.path()).mkpath("lang");
        const QString target = QString::fromStdString(Path("lang/Pelmora.xml"));
        if (document.isEmpty()) {
            ASSERT_TRUE(QFile::copy(kShippedLanguageFile, target));
            return;
        }
        QFile file(target);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(document);
    }

    // Creates and shows the window and waits for the first search.
    void Start(const QString& commandLine = QString()) {
        TFrmMainDeps deps;
        deps.access = &access;
        deps.prompter = &prompter;
        deps.userStore = &userStore;
        deps.machineStore = &machineStore;
        deps.programFolder = home.path();
        deps.programFile = QCoreApplication::applicationFilePath();
        deps.commandLineText = commandLine;
        deps.askLogin = [] { return std::optional<TLoginAnswer>(); };
        deps.editProperties = [this](const TPropertySession& session) {
            return editor ? editor(session) : std::nullopt;
        };
        window = std::make_unique<TFrmMain>(deps);
        QSignalSpy searched(window.get(), &TFrmMain::searchFinished);
        window->show();
        ASSERT_TRUE(searched.wait(10000));
    }

    // Rows as "state|account|name|ip|mac|location|icon".
    QStringList Rows() const {
        QStringList rows;
        for (const TDeviceRow& r : window->List().Rows())
            rows << QString::fromStdString(r.state + "|" + r.columns[kColAccount] + "|" +
                                           r.columns[kColDisplayName] + "|" + r.columns[kColIp] +
                                           "|" + r.columns[kColMac] + "|" +
                                           r.columns[kColLocation] + "|" + std::to_string(r.icon));
        return rows;
    }
    std::optional<std::size_t> RowOf(const std::string& mac) const {
        const auto rows = window->List().RowsWithMac(mac);
        if (rows.empty()) return std::nullopt;
        return rows.front();
    }

    QTemporaryDir home;
    NiceMock<MockDeviceAccess> access;
    TScriptedPrompter prompter;
    TMemorySettingsStore userStore, machineStore;
    std::vector<TTerminal> found{kGate, kHall, kPhone};
    TEditProperties editor;  // the property editor's part; none: cancelled
    std::unique_ptr<TFrmMain> window;
};

TEST_F(FrmMainTest, StartLoadsTheBookSearchesAndShowsTheRows) {
    Start();
    EXPECT_EQ(Rows(), (QStringList{
                          "Online|7001|Booked|127.0.12.9|2.75.86.0.0.9|Books|1",
                          "Offline|old-account|old-name|127.0.12.50||Books|0",
                          "Online|8001|Gate|127.0.12.1|2.75.86.0.0.1|LocalNetwork|1",
                          "Online||Hall|127.0.12.2|2.75.86.0.0.2|LocalNetwork|3",
                      }));
    EXPECT_EQ(window->StatusPanel0->text(), QStringLiteral("设备数量："));
    EXPECT_EQ(window->StatusPanel1->text(), "4");
    EXPECT_EQ(window->windowTitle(), "Pelmora V1.3.9");
    EXPECT_EQ(machineStore.values["Path"], QCoreApplication::applicationFilePath().toStdString());
    EXPECT_TRUE(prompter.messages.empty());
    EXPECT_EQ(window->pnlSearch, nullptr);

    // Without a language file: three fixed entries, all disabled.
    const QList<QAction*> languages = window->NLanguage->actions();
    ASSERT_EQ(languages.size(), 3);
    EXPECT_EQ(languages[0]->text(), QStringLiteral("&1 简体中文"));
    for (QAction* entry : languages)
        EXPECT_FALSE(entry->isEnabled());

    // The model column shows the catalogue's name or "undefined"; headings and the state icon.
    QAbstractItemModel* model = window->MainListView->model();
    EXPECT_EQ(model->columnCount(), 9);
    EXPECT_EQ(model->headerData(3, Qt::Horizontal).toString(), QStringLiteral("IP 地址"));
    EXPECT_EQ(model->data(model->index(2, 5)).toString(), "undefined");
    EXPECT_FALSE(model->data(model->index(0, 0), Qt::DecorationRole).isNull());

    // A column click sorts ascending by that column; the state column: Offline first.
    window->MainListView->header()->sectionClicked(0);
    EXPECT_EQ(window->List().Row(0).state, "Offline");
    window->MainListView->header()->sectionClicked(2);
    EXPECT_EQ(window->List().Row(0).columns[kColDisplayName], "Booked");
    EXPECT_EQ(window->List().Row(3).columns[kColDisplayName], "old-name");
}

TEST_F(FrmMainTest, SelectionEnablesTheRowCommands) {
    Start();
    struct Case {
        const char* mac;  // nullptr: no selection
        bool modifyDelete, deviceCommands;
    } cases[] = {
        {"2.75.86.0.0.9", true, true},   // Books, online
        {"", true, false},               // Books, offline
        {"2.75.86.0.0.1", false, true},  // LocalNetwork, online
        {nullptr, false, false},
    };
    for (const Case& c : cases) {
        if (c.mac) {
            window->SelectRow(*RowOf(c.mac));
        } else {
            window->MainListView->clearSelection();
        }
        for (QAction* a :
             {window->tlBtnModify, window->tlBtnDelete, window->PDevModify, window->PDevDelete})
            EXPECT_EQ(a->isEnabled(), c.modifyDelete) << a->objectName().toStdString();
        for (QAction* a : {window->PDevUpgrade, window->PDevReset, window->PDevProperty})
            EXPECT_EQ(a->isEnabled(), c.deviceCommands) << a->objectName().toStdString();
    }
    EXPECT_TRUE(window->tlBtnContacts->isEnabled());
    EXPECT_TRUE(window->tlBtnMulticast->isEnabled());
}

TEST_F(FrmMainTest, SearchAndSortKeepTheSelectionTheCurrentRowAndTheScrollPosition) {
    for (int i = 10; i < 70; ++i)
        found.push_back({.mac = "2.75.86.0.1." + std::to_string(i),
                         .ip = "127.0.12." + std::to_string(i),
                         .account = std::to_string(9000 - i),
                         .displayName = "Row",
                         .model = "SIP520"});
    Start();
    window->resize(800, 300);
    QTreeView* view = window->MainListView;
    QScrollBar* scroll = view->verticalScrollBar();
    ASSERT_GT(scroll->maximum(), 10);
    window->SelectRow(*RowOf(kBooked.mac));
    scroll->setValue(scroll->maximum() / 2);
    const int scrolled = scroll->value();
    auto kept = [&](const char* step) {
        ASSERT_TRUE(window->SelectedRow()) << step;
        EXPECT_EQ(window->List().Row(*window->SelectedRow()).columns[kColMac], kBooked.mac) << step;
        EXPECT_EQ(static_cast<std::size_t>(view->currentIndex().row()), *window->SelectedRow())
            << step;
        for (QAction* a : {window->tlBtnModify, window->tlBtnDelete, window->PDevProperty})
            EXPECT_TRUE(a->isEnabled()) << step << " " << a->objectName().toStdString();
    };
    window->tlBtnSearch->trigger();  // the same terminals answer again
    kept("search");
    EXPECT_EQ(scroll->value(), scrolled);
    view->header()->sectionClicked(4);  // by MAC text
    kept("sort");
    view->header()->sectionClicked(1);  // by account: the Books row moves
    kept("second sort");
    // A row that the search no longer finds leaves the selection with it.
    window->SelectRow(*RowOf(kGate.mac));
    found.erase(found.begin());
    window->tlBtnSearch->trigger();
    EXPECT_FALSE(window->SelectedRow());
    EXPECT_FALSE(window->tlBtnModify->isEnabled());
}

TEST_F(FrmMainTest, FilterShowsTheMatchingRowsAndCommandsActOnlyOnVisibleOnes) {
    for (int i = 1; i <= 300; ++i)
        found.push_back(
            {.mac = "2.75.86.1." + std::to_string(i / 100) + "." + std::to_string(i % 100),
             .ip = "127.0.13." + std::to_string(i % 250 + 1),
             .account = std::to_string(9000 + i),
             .displayName = "Room " + std::to_string(i),
             .model = "SIP520"});
    Start();
    const QStringList rows = Rows();
    ASSERT_EQ(rows.size(), 304);
    QTreeView* view = window->MainListView;
    auto* box = window->findChild<QLineEdit*>("edtFilter");
    auto* count = window->findChild<QLabel*>("lblFilterCount");
    ASSERT_TRUE(box && count);
    auto visibleMacs = [&] {
        QStringList macs;
        for (std::size_t r = 0; r < window->List().RowCount(); ++r)
            if (!view->isRowHidden(static_cast<int>(r), QModelIndex()))
                macs << QString::fromStdString(window->List().Row(r).columns[kColMac]);
        macs.sort();
        return macs;
    };

    window->activateWindow();
    QApplication::setActiveWindow(window.get());
    QTest::keyClick(view, Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(QApplication::focusWidget(), box);
    QTest::keyClicks(box, "ROOM 12");  // Room 12 and Room 120 to 129, letter case aside
    EXPECT_EQ(visibleMacs().size(), 11);
    EXPECT_EQ(count->text(), QStringLiteral("显示 11 台，共 304 台"));
    EXPECT_EQ(window->StatusPanel1->text(), "304");
    EXPECT_EQ(Rows(), rows);  // nothing moved or changed

    // Each searched column finds its row; the interface column is not searched.
    const struct {
        const char* text;
        int shown;
    } cases[] = {{"9150", 1},        {"2.75.86.1.1.50", 1}, {"127.0.12.9", 1}, {"v2.4.1", 1},
                 {"undefined", 303}, {"books", 2},          {"127.0.0.1", 0}};
    for (const auto& c : cases) {
        box->setText(c.text);
        EXPECT_EQ(visibleMacs().size(), c.shown) << c.text;
    }

    // A selected row that the filter hides leaves the selection; commands then have no row.
    box->setText("room 12");
    window->SelectRow(*RowOf("2.75.86.1.1.25"));
    EXPECT_TRUE(window->PDevProperty->isEnabled());
    QTest::keyClick(box, Qt::Key_0);  // "room 120"
    EXPECT_EQ(visibleMacs(), QStringList{"2.75.86.1.1.20"});
    EXPECT_TRUE(window->SelectedRows().empty());
    EXPECT_FALSE(window->PDevProperty->isEnabled());

    // A sort and a search keep the filter; the selected visible row goes to the updater.
    view->header()->sectionClicked(2);
    window->tlBtnSearch->trigger();
    EXPECT_EQ(visibleMacs(), QStringList{"2.75.86.1.1.20"});
    window->SelectRow(*RowOf("2.75.86.1.1.20"));
    window->PDevUpgrade->trigger();
    QFile handoff(QString::fromStdString(Path("~devlist.lst")));
    ASSERT_TRUE(handoff.open(QIODevice::ReadOnly));
    const QByteArray bytes = handoff.readAll();
    const std::vector<TDevListRow> handed =
        ParseDevList(std::string_view(bytes.constData(), bytes.size()));
    ASSERT_EQ(handed.size(), 1u);
    EXPECT_EQ(handed[0].mac, "2.75.86.1.1.20");

    // Esc in the box clears it: every row again, no count.
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_EQ(box->text(), "");
    EXPECT_EQ(visibleMacs().size(), 304);
    EXPECT_EQ(count->text(), "");
}

TEST_F(FrmMainTest, AddModifyAndDeleteThroughTheDialog) {
    Start();
    WhenModal<TFrmDevEdit>([](TFrmDevEdit* dialog) {
        for (const char* account : {"9001", "9002"}) {
            dialog->EdtDevNumber->setText(account);
            dialog->EdtDevName->setText("Added");
            dialog->EdtDevIP->setText("10.1.1.1");
            dialog->btnDevOk->click();
        }
        dialog->btnDevCancel->click();
    });
    window->tlBtnAdd->trigger();
    EXPECT_FALSE(window->Busy());
    ASSERT_EQ(window->List().RowCount(), 6u);
    EXPECT_EQ(Rows().mid(4), (QStringList{"Offline|9001|Added|10.1.1.1||Books|0",
                                          "Offline|9002|Added|10.1.1.1||Books|0"}));
    EXPECT_EQ(window->SelectedRow(), 5u);
    EXPECT_EQ(window->StatusPanel1->text(), "6");

    // Modify the selected row: its account, name and address change.
    WhenModal<TFrmDevEdit>([](TFrmDevEdit* dialog) {
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("修改设备"));
        EXPECT_EQ(dialog->EdtDevNumber->text(), "9002");
        dialog->EdtDevName->setText(" Renamed ");
        dialog->EdtDevIP->setText("10.1.1.2");
        dialog->btnDevOk->click();
    });
    window->tlBtnModify->trigger();
    EXPECT_EQ(Rows()[5], "Offline|9002|Renamed|10.1.1.2||Books|0");

    // Delete: asked with account and address; No keeps, Yes removes.
    prompter.confirmations = {false, true};
    window->tlBtnDelete->trigger();
    EXPECT_EQ(window->List().RowCount(), 6u);
    window->tlBtnDelete->trigger();
    EXPECT_EQ(window->List().RowCount(), 5u);
    EXPECT_EQ(prompter.MessageTexts(),
              QStringList(
                  2, QStringLiteral("您确定要删除设备信息（用户账号=9002，IP地址=10.1.1.2）吗？")));

    // A found row cannot be deleted.
    prompter.messages.clear();
    window->SelectRow(*RowOf(kGate.mac));
    window->tlBtnDeleteClick();
    EXPECT_EQ(prompter.MessageTexts(),
              QStringList{QStringLiteral("对不起，您只能删除Books中的设备信息")});
    EXPECT_TRUE(RowOf(kGate.mac));
    EXPECT_FALSE(window->Busy());
}

TEST_F(FrmMainTest, DeviceTextsFromTheCommandLineAndTheLocalSocket) {
    // The properties of the row are read 10 ms after the text; here the terminal fails the read.
    EXPECT_CALL(access, ReadSetting("", _, _, _)).Times(10).WillRepeatedly(Return(-2));
    Start(" 8001;\"Front gate\";127.0.12.1;2.75.86.0.0.1;SIP520;V2.6.0;127.0.0.1 ");
    QTRY_COMPARE_WITH_TIMEOUT(prompter.messages.size(), std::size_t{1}, 5000);
    EXPECT_EQ(prompter.messages[0].text, QStringLiteral("读取故障，errcode = -2"));
    EXPECT_EQ(Rows()[2], "Online|8001|Front gate|127.0.12.1|2.75.86.0.0.1|LocalNetwork|1");
    EXPECT_EQ(window->SelectedRow(), 2u);

    QTemporaryDir socketHome;
    const QString name = TSingleInstance::ServerName(socketHome.path());
    TSingleInstance instance(name);
    ASSERT_TRUE(instance.Start());
    QObject::connect(&instance, &TSingleInstance::deviceTextReceived, window.get(),
                     &TFrmMain::ReceiveDeviceText, Qt::QueuedConnection);
    ASSERT_TRUE(TSingleInstance::Send(
        name, {TLocalMessageType::DeviceText, "5005;New;127.0.12.5;2.75.86.0.0.5;SIP650;V3;"}));
    QTRY_COMPARE_WITH_TIMEOUT(prompter.messages.size(), std::size_t{2}, 5000);
    EXPECT_EQ(Rows().last(), "Online|5005|New|127.0.12.5|2.75.86.0.0.5|LocalNetwork|1");
    EXPECT_EQ(window->SelectedRow(), window->List().RowCount() - 1);

    // While a dialog is open, a device text only brings the window forward.
    WhenModal<TFrmDevEdit>([this](TFrmDevEdit* dialog) {
        window->ReceiveDeviceText("6006;Late;127.0.12.6;2.75.86.0.0.6;SIP650;V3;");
        dialog->reject();
    });
    window->tlBtnAdd->trigger();
    EXPECT_FALSE(RowOf("2.75.86.0.0.6"));
}

TEST_F(FrmMainTest, SearchRunsOffTheWindowThread) {
    Start();
    std::atomic<bool> release{false};
    ON_CALL(access, SearchAll(_, _))
        .WillByDefault(Invoke([&release](TDeviceRecord*, std::int32_t* count) {
            while (!release)
                QThread::msleep(1);
            *count = 0;
            return 1;
        }));
    EXPECT_CALL(access, ReadSetting(_, _, _, _)).WillRepeatedly(Return(-2));
    QSignalSpy searched(window.get(), &TFrmMain::searchFinished);
    bool checked = false;
    // The search waits on the library; the window still takes a device text meanwhile, and the
    // progress moves with the time gone.
    When(
        [this] {
            return window->Searching() && window->pnlSearch &&
                   window->pnlSearch->pbSearch->value() > 0;
        },
        [&] {
            ASSERT_NE(window->pnlSearch, nullptr);
            EXPECT_EQ(window->pnlSearch->lblHint->text(),
                      QStringLiteral("正在搜索中，请稍等。。。"));
            window->ReceiveDeviceText("5005;New;127.0.12.5;2.75.86.0.0.5;SIP650;V3;");
            EXPECT_TRUE(RowOf("2.75.86.0.0.5"));
            window->tlBtnSearch->trigger();  // refused while a search runs
            // Released before events run again: the properties of the new row wait for the
            // library.
            release = true;
            checked = true;
        });
    window->tlBtnSearch->trigger();
    EXPECT_TRUE(checked);
    EXPECT_EQ(searched.count(), 1);
    // Nothing was found: only the Books rows are left.
    EXPECT_EQ(window->List().RowCount(), 2u);
    EXPECT_EQ(window->pnlSearch, nullptr);
}

TEST_F(FrmMainTest, DeviceTextDuringTheSearchOpensThePropertiesOfItsRow) {
    Start();
    std::atomic<bool> entered{false}, release{false};
    ON_CALL(access, SearchAll(_, _))
        .WillByDefault(Invoke([&](TDeviceRecord* records, std::int32_t* count) {
            entered = true;
            while (!release)
                QThread::msleep(1);
            records[0] = MakeRecord(kGate);
            *count = 1;
            return 1;
        }));
    const TMacBytes mac = TextToMac(kGate.mac);
    EXPECT_CALL(access, ReadSetting("", mac, _, _)).Times(5).WillRepeatedly(Return(-2));
    When([&] { return entered.load(); },
         [&] {
             window->ReceiveDeviceText("8001;Gate;127.0.12.1;2.75.86.0.0.1;SIP520;V2.6.0;");
             release = true;
         });
    window->tlBtnSearch->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(prompter.MessageTexts(),
                              QStringList{QStringLiteral("读取故障，errcode = -2")}, 5000);
}

TEST_F(FrmMainTest, BooksLookUpTakesAnAddressChangedDuringTheSearch) {
    Start();
    std::atomic<bool> release{false};
    std::mutex mutex;
    std::vector<std::string> asked;
    ON_CALL(access, SearchOne(_, _))
        .WillByDefault(Invoke([&](const std::string& ip, TDeviceRecord*) {
            {
                std::lock_guard lock(mutex);
                asked.push_back(ip);
            }
            while (ip == kBooked.ip && !release)
                QThread::msleep(1);
            return 0;
        }));
    EXPECT_CALL(access, ReadSetting(_, _, _, _)).WillRepeatedly(Return(-2));
    // While the first Books row is looked up, a device text moves the second one (its MAC text
    // is empty) to another address: its lookup asks the new address.
    When(
        [&] {
            std::lock_guard lock(mutex);
            return !asked.empty();
        },
        [&] {
            window->ReceiveDeviceText("old-account;old-name;127.0.12.60;;SIP430;V2.7;");
            release = true;
        });
    window->tlBtnSearch->trigger();
    std::lock_guard lock(mutex);
    EXPECT_EQ(asked, (std::vector<std::string>{kBooked.ip, "127.0.12.60"}));
}

TEST_F(FrmMainTest, LanguageSwitchRetitlesAndIsStored) {
    UseLanguageFile();
    Start();
    const QList<QAction*> entries = window->NLanguage->actions();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0]->text(), QStringLiteral("&1 简体中文"));
    EXPECT_EQ(entries[1]->text(), QStringLiteral("&2 English"));
    EXPECT_FALSE(entries[0]->isEnabled());
    EXPECT_TRUE(entries[1]->isEnabled());

    entries[1]->trigger();
    EXPECT_EQ(window->windowTitle(), "Pelmora V1.3.9");
    EXPECT_EQ(window->tlBtnSearch->text(), "Search");
    EXPECT_EQ(window->NDevice->title(), "&Device");
    EXPECT_EQ(window->StatusPanel0->text(), "Devices:");
    EXPECT_EQ(window->MainListView->model()->headerData(8, Qt::Horizontal).toString(), "Location");
    EXPECT_EQ(window->WorkStatusWords()[13], "Manual mode (playing)");
    EXPECT_TRUE(entries[0]->isEnabled());
    EXPECT_FALSE(entries[1]->isEnabled());
    QSettings ini(home.filePath("SysConfig.ini"), QSettings::IniFormat);
    EXPECT_EQ(ini.value("SYSTEM/Language").toInt(), 1);

    // Messages follow the language.
    window->SelectRow(*RowOf(kGate.mac));
    window->tlBtnDeleteClick();
    EXPECT_EQ(prompter.MessageTexts(), QStringList{"Sorry, only devices in Books can be deleted"});

    // Dialogs are translated when they open.
    WhenModal<TFrmDevEdit>([](TFrmDevEdit* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Add device");
        EXPECT_EQ(dialog->grpBoxDevInfo->title(), "Device information");
        EXPECT_EQ(dialog->btnDevOk->text(), "&Add");
        dialog->btnDevOk->click();
        dialog->reject();
    });
    window->tlBtnAdd->trigger();
    EXPECT_EQ(prompter.MessageTexts().last(),
              "The user account must not be empty, please enter it!");
    window->SelectRow(*RowOf(kBooked.mac));
    WhenModal<TFrmDevEdit>([](TFrmDevEdit* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Modify device");
        EXPECT_EQ(dialog->btnDevOk->text(), "&Save");
        EXPECT_EQ(dialog->btnDevCancel->text(), "&Cancel");
        dialog->reject();
    });
    window->tlBtnModify->trigger();

    entries[0]->trigger();
    EXPECT_EQ(window->tlBtnSearch->text(), QStringLiteral("搜  索"));
    EXPECT_EQ(window->WorkStatusWords()[13], QStringLiteral("手动模式(播放)"));
}

TEST_F(FrmMainTest, KeysAndToolTips) {
    UseLanguageFile();
    Start();
    window->NLanguage->actions()[1]->trigger();  // English
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTreeView* list = window->MainListView;
    list->setFocus();

    // What a button does and, while disabled, why.
    window->MainListView->clearSelection();
    EXPECT_EQ(window->tlBtnModify->toolTip(),
              "Change the account, name and IP address of the selected Books device\n"
              "Select a Books row in the list first");
    window->SelectRow(*RowOf(kBooked.mac));
    EXPECT_EQ(window->tlBtnDelete->toolTip(), "Delete the selected device from Books (Delete)");
    EXPECT_EQ(window->tlBtnSearch->toolTip(),
              "Search the local network for devices and check the devices in Books (F5)");

    QSignalSpy searched(window.get(), &TFrmMain::searchFinished);
    QTest::keyClick(list, Qt::Key_F5);
    EXPECT_EQ(searched.count(), 1);

    prompter.confirmations = {false};
    QTest::keyClick(list, Qt::Key_Delete);
    EXPECT_EQ(prompter.MessageTexts(),
              QStringList{"Delete the device information (user account=7001, IP address=" +
                          QString::fromStdString(kBooked.ip) + ")?"});

    prompter.messages.clear();
    window->SelectRow(*RowOf(kGate.mac));
    EXPECT_CALL(access, ReadSetting("", TextToMac(kGate.mac), _, _))
        .Times(5)
        .WillRepeatedly(Return(-2));
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(prompter.MessageTexts(), QStringList{"Read failure, errcode = -2"});

    const QString file = home.filePath("keys.dat");
    const std::size_t rows = window->List().RowCount();
    prompter.fileNames = {file};
    QTest::keyClick(list, Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(QFileInfo::exists(file));
    prompter.fileNames = {file};
    QTest::keyClick(list, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(window->List().RowCount(), 2 * rows);
}

TEST_F(FrmMainTest, WindowAndColumnsComeBackAfterARestart) {
    Start();
    window->resize(730, 470);
    window->MainListView->setColumnWidth(2, 222);
    ASSERT_TRUE(window->close());
    window.reset();
    Start();  // the same program folder and user
    EXPECT_EQ(window->size(), QSize(730, 470));
    EXPECT_EQ(window->MainListView->columnWidth(2), 222);
}

TEST_F(FrmMainTest, LanguageChangeRefitsHeadingsAndQtsOwnTexts) {
    UseLanguageFile();
    Start();
    const bool haveQtChinese =
        QFileInfo::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + "/qtbase_zh_CN.qm");
    auto cancel = [] { return QCoreApplication::translate("QPlatformTheme", "Cancel"); };
    if (haveQtChinese) {
        EXPECT_EQ(cancel(), QStringLiteral("取消"));
    }
    window->NLanguage->actions()[1]->trigger();  // English
    EXPECT_EQ(cancel(), "Cancel");
    QHeaderView* header = window->MainListView->header();
    for (int column = 0; column < header->count(); ++column)
        EXPECT_GE(header->sectionSize(column), header->sectionSizeHint(column))
            << header->model()->headerData(column, Qt::Horizontal).toString().toStdString();
    if (!haveQtChinese) GTEST_SKIP() << "Qt's Chinese texts need qt6-translations-l10n";
}

TEST_F(FrmMainTest, UnwritableSettingsAreReportedOnlyForTheUsersLanguageChoice) {
    // A folder where the settings file should be: no write can replace it.
    ASSERT_TRUE(QDir(home.path()).mkpath("SysConfig.ini"));
    UseLanguageFile();
    Start();
    EXPECT_TRUE(prompter.messages.empty());  // applying the stored language at start is silent

    window->NLanguage->actions()[1]->trigger();
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].kind, IPrompter::Kind::Error);
    EXPECT_TRUE(QFileInfo(home.filePath("SysConfig.ini")).isDir());
}

TEST_F(FrmMainTest, CaptionComesFromTheLanguageFile) {
    UseLanguageFile(R"(<Pelmora>
  <Language><english>English</english><ENGLISH>Twice</ENGLISH><Klingon>x</Klingon></Language>
  <TFrmMain><self.Caption><English> Device Manager </English></self.Caption></TFrmMain>
  <Common><WorkStatus><keyWord2><English>Busy playing</English></keyWord2></WorkStatus></Common>
</Pelmora>)");
    QSettings ini(home.filePath("SysConfig.ini"), QSettings::IniFormat);
    ini.setValue("SYSTEM/Language", 1);
    ini.sync();
    Start();
    EXPECT_EQ(window->windowTitle(), "Device Manager V1.3.9");
    EXPECT_EQ(window->tlBtnSearch->text(), QStringLiteral("搜  索"));  // no translation: kept
    EXPECT_EQ(window->WorkStatusWords()[1], "Busy playing");
    EXPECT_EQ(window->WorkStatusWords()[0], QStringLiteral("空闲"));
    ASSERT_EQ(window->NLanguage->actions().size(), 1);
    EXPECT_FALSE(window->NLanguage->actions()[0]->isEnabled());
}

TEST_F(FrmMainTest, ShippedLanguageFileTranslatesEveryCaptionAndMessage) {
    TMyXmlobj doc;
    ASSERT_TRUE(doc.Load(kShippedLanguageFile.toStdString()));
    ASSERT_TRUE(doc.IsLoaded());
    SetLanguage(doc, lang::kEnglish);
    auto has = [&doc](const std::string& key) {
        return !doc.ReadValue(key + "/English", std::string()).empty();
    };
    Start();
    // Every named menu item and toolbar button (the pop-up menu itself has no caption).
    for (QObject* object : window->findChildren<QObject*>()) {
        const std::string name = object->objectName().toStdString();
        auto* menu = qobject_cast<QMenu*>(object);
        const bool captioned = qobject_cast<QAction*>(object) || (menu && !menu->title().isEmpty());
        if (!name.empty() && captioned) {
            EXPECT_TRUE(has("Pelmora/TFrmMain/" + name + ".Caption")) << name;
        }
    }
    for (int column = 0; column < 9; ++column)
        EXPECT_TRUE(has("Pelmora/TFrmMain/MainListView.Column" + std::to_string(column)));
    for (int n = 1; n <= 9; ++n)
        EXPECT_TRUE(has("Pelmora/Messagedlg/FrmMain/keyWord" + std::to_string(n))) << n;
    for (int n = 1; n <= 4; ++n)
        EXPECT_TRUE(has("Pelmora/Messagedlg/FrmDevAddEdit/keyWord" + std::to_string(n))) << n;
    for (int n = 1; n <= 14; ++n)
        EXPECT_TRUE(has("Pelmora/Common/WorkStatus/keyWord" + std::to_string(n))) << n;
    for (const char* key :
         {"self.Caption", "Self.Caption0", "grpBoxDevInfo.Caption", "lblDevNumber.Caption",
          "lblDevName.Caption", "lblDevIP.Caption", "btnDevOk.Caption", "btnDevOk.Caption0",
          "btnDevCancel.Caption", "btnDevCancel.Caption0"})
        EXPECT_TRUE(has(std::string("Pelmora/TFrmDevEdit/") + key)) << key;
    // Messages keep the fields of their default texts, in order.
    const std::pair<const char*, const char*> fields[] = {
        {"Pelmora/Messagedlg/FrmMain/keyWord1", "%s%s"},
        {"Pelmora/Messagedlg/FrmMain/keyWord6", "%s%d"},
        {"Pelmora/Messagedlg/FrmMain/keyWord7", "%d"},
        {"Pelmora/Messagedlg/FrmDevAddEdit/keyWord4", "%s"},
    };
    for (const auto& [key, expected] : fields) {
        const std::string text = doc.ReadValue(std::string(key) + "/English", "");
        std::string found;
        for (std::size_t at = text.find('%'); at != std::string::npos && at + 1 < text.size();
             at = text.find('%', at + 2))
            found += text.substr(at, 2);
        EXPECT_EQ(found, expected) << key;
    }
}

TEST_F(FrmMainTest, StoredLanguageOutOfRangeSelectsEnglishWithoutAnEntry) {
    UseLanguageFile();
    QSettings ini(home.filePath("SysConfig.ini"), QSettings::IniFormat);
    ini.setValue("SYSTEM/Language", 7);
    ini.sync();
    Start();
    EXPECT_EQ(window->tlBtnAdd->text(), "Add");
    for (QAction* entry : window->NLanguage->actions())
        EXPECT_TRUE(entry->isEnabled());
}

TEST_F(FrmMainTest, ResetFromThePopUp) {
    Start();
    window->SelectRow(*RowOf(kGate.mac));
    const TMacBytes mac = TextToMac(kGate.mac);
    EXPECT_CALL(access, Login(kGate.ip, mac, _)).WillOnce(Return(1));
    EXPECT_CALL(access, Reset(kGate.ip, mac, _)).WillOnce(Return(1));
    window->PDevReset->trigger();
    EXPECT_EQ(prompter.MessageTexts(), QStringList{QStringLiteral("复位成功")});
    EXPECT_EQ(prompter.messages[0].kind, IPrompter::Kind::Information);
}

TEST_F(FrmMainTest, PropertiesWriteTheEditedBlockBackAndShowItInTheRow) {
    Start();
    // The block as the terminal holds it, and what the editor makes of it.
    auto block = [](const TTerminal& t) {
        TParamBlock b{};
        StrToFixed(t.model, b.data() + kParamModelOffset, 32);
        StrToFixed(t.account, b.data() + 660, 16);
        StrToFixed(t.displayName, b.data() + 796, 32);
        const TIpBytes ip = TextToIpField(t.ip);
        std::copy(ip.begin(), ip.end(), b.begin() + 144);
        return b;
    };
    const TTerminal kEdited{.ip = "127.0.12.21", .account = "8101", .displayName = "Lobby"};
    const TTerminal kNoAccount{.ip = "127.0.12.22", .account = "", .displayName = "Lobby"};
    struct Case {
        const char* what;
        const TTerminal* terminal;
        const TTerminal* edited;  // null: the editor is cancelled
        std::vector<std::int32_t> writes;
        const char* message;  // null: none
        bool logout;
        const char* row;  // null: as before
    } cases[] = {
        // The failures first: a successful write moves the row to its new address.
        {"found row, every write fails", &kGate, &kEdited, std::vector<std::int32_t>(6, -2),
         "设置设备(IP=127.0.12.1)参数失败，重试6次", false, nullptr},
        {"book row, every write fails", &kBooked, &kEdited, std::vector<std::int32_t>(6, -3),
         "设置设备(IP=127.0.12.9)参数失败，重试6次", true, nullptr},
        {"cancelled", &kBooked, nullptr, {}, nullptr, false, nullptr},
        {"found row written at the second call",
         &kGate,
         &kEdited,
         {-3, 1},
         nullptr,
         false,
         "Online|8101|Lobby|127.0.12.21|2.75.86.0.0.1|LocalNetwork|1"},
        {"book row, account emptied",
         &kBooked,
         &kNoAccount,
         {1},
         nullptr,
         true,
         "Online||Lobby|127.0.12.22|2.75.86.0.0.9|Books|3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        prompter.messages.clear();
        const std::size_t index = *RowOf(c.terminal->mac);
        const QString before = Rows()[static_cast<int>(index)];
        const bool books = c.terminal == &kBooked;
        const std::string address = books ? c.terminal->ip : "";
        const TMacBytes mac = TextToMac(c.terminal->mac);
        EXPECT_CALL(access, ReadSetting(address, mac, _, _))
            .WillOnce(Invoke(
                [&](const std::string&, const TMacBytes&, std::uint8_t* read, TDeviceCredentials*) {
                    const TParamBlock b = block(*c.terminal);
                    std::copy(b.begin(), b.end(), read);
                    return 1;
                }));
        std::optional<TParamBlock> edited;
        editor = [&](const TPropertySession& session) -> std::optional<TParamBlock> {
            EXPECT_TRUE(window->Busy());
            EXPECT_THAT(session.Texts(),
                        ::testing::ElementsAre(address, c.terminal->ip, "255.0.0.0", "127.0.0.254",
                                               "127.0.0.53", "127.0.0.54"));
            if (c.edited == nullptr) return std::nullopt;
            TTerminal next = *c.edited;
            next.model = c.terminal->model;
            edited = block(next);
            return edited;
        };
        std::vector<TParamBlock> written;
        auto writes = c.writes;
        EXPECT_CALL(access, WriteSetting(address, mac, _, 1356, _))
            .Times(static_cast<int>(c.writes.size()))
            .WillRepeatedly(Invoke([&](const std::string&, const TMacBytes&, std::uint8_t* bytes,
                                       std::int32_t, TDeviceCredentials*) {
                // Off the window thread, so the window repaints meanwhile.
                EXPECT_NE(QThread::currentThread(), QCoreApplication::instance()->thread());
                written.emplace_back();
                std::copy(bytes, bytes + 1356, written.back().begin());
                const std::int32_t result = writes.front();
                writes.erase(writes.begin());
                return result;
            }));
        if (c.logout) {
            EXPECT_CALL(access, Logout(address, mac, _)).WillOnce(Return(1));
        } else {
            EXPECT_CALL(access, Logout(_, _, _)).Times(0);
        }
        window->SelectRow(index);
        window->PDevProperty->trigger();
        ::testing::Mock::VerifyAndClearExpectations(&access);

        for (const TParamBlock& bytes : written)
            EXPECT_EQ(bytes, *edited);
        EXPECT_EQ(prompter.MessageTexts(),
                  c.message ? QStringList{QString::fromUtf8(c.message)} : QStringList{});
        EXPECT_EQ(Rows()[static_cast<int>(index)], c.row ? QString(c.row) : before);
        EXPECT_FALSE(window->Busy());
    }
}

TEST_F(FrmMainTest, SiteDownloadListsTheSelectedRowsAndSkipsThoseWithoutAddressBook) {
    Start();
    window->MainListView->clearSelection();
    EXPECT_FALSE(window->NSiteDownload->isEnabled());
    window->SelectRow(*RowOf(kGate.mac));
    const QModelIndex hall = window->MainListView->model()->index(*RowOf(kHall.mac), 0);
    window->MainListView->selectionModel()->select(
        hall, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    EXPECT_TRUE(window->PDevSiteDownload->isEnabled());
    QStringList shown;
    WhenModal<TFrmSiteDownload>([&](TFrmSiteDownload* dialog) {
        EXPECT_TRUE(window->Busy());
        for (int i = 0; i < dialog->lvSiteTerminals->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = dialog->lvSiteTerminals->topLevelItem(i);
            shown << item->text(0) + "|" + item->text(1) + "|" + item->text(4);
        }
        dialog->btnClose->click();
    });
    window->NSiteDownload->trigger();
    // The catalogue-less model column says "undefined": Gate is checked when it runs; Hall's
    // SIP310 is not known either, so both are listed to run.
    EXPECT_EQ(shown, (QStringList{"8001 Gate|127.0.12.1|", "Hall|127.0.12.2|"}));
    EXPECT_FALSE(window->Busy());
}

TEST_F(FrmMainTest, UpgradeHandsOffAllOrTheSelectedRows) {
    Start();
    auto handedOff = [this] {
        QFile file(QString::fromStdString(Path("~devlist.lst")));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        return ParseDevList(std::string_view(bytes.constData(), bytes.size()));
    };
    window->SelectRow(*RowOf(kHall.mac));
    window->PDevUpgrade->trigger();
    const std::vector<TDevListRow> selected = handedOff();
    ASSERT_EQ(selected.size(), 1u);
    EXPECT_EQ(selected[0],
              (TDevListRow{kHall.mac, kHall.ip, "Hall", "V2.4.1", "127.0.0.1", "undefined"}));
    for (QAction* all : {window->tbBtnUpgrade, window->NUpgrade}) {
        all->trigger();
        EXPECT_EQ(handedOff().size(), 4u);
    }
    EXPECT_FALSE(window->Busy());
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(FrmMainTest, AboutBoxShowsVersionBuildDateAndLogo) {
    QImage logo(12, 7, QImage::Format_RGB32);
    logo.fill(Qt::red);
    const bool haveJpeg = logo.save(home.filePath("Logo.jpg"), "JPG");
    Start();
    WhenModal<TFrmAbout>([haveJpeg](TFrmAbout* about) {
        EXPECT_EQ(about->lblVersion->text(), " V1.3.9");
        const QDate built =
            QFileInfo(QCoreApplication::applicationFilePath()).lastModified().date();
        EXPECT_EQ(about->lblBuildDate->text(), QLocale().toString(built, QLocale::ShortFormat));
        if (haveJpeg) {
            EXPECT_EQ(about->imgLogo->pixmap().size(), QSize(12, 7));
        }
        about->accept();
    });
    window->tlBtnAbout->trigger();
    EXPECT_FALSE(window->Busy());
}

TEST_F(FrmMainTest, ContactsAndMulticastOpenTheirEditorsInManageMode) {
    // Each command, on the toolbar and in the Tools menu, with the rows of its list in the data
    // folder.
    const std::pair<QAction * TFrmMain::*, std::size_t> commands[] = {
        {&TFrmMain::tlBtnContacts, 1},
        {&TFrmMain::NContacts, 1},
        {&TFrmMain::tlBtnMulticast, 2},
        {&TFrmMain::NMulticast, 2}};
    ASSERT_TRUE(SaveListFile({{"1", 0, {"a", "b", "c"}}}, ListFilePath(Path(""), kContactsFile)));
    ASSERT_TRUE(SaveListFile({{"1", 0, {"z", "239.0.0.1", "1"}}, {"2", 0, {"y", "239.0.0.2", "2"}}},
                             ListFilePath(Path(""), kMulticastsFile)));
    Start();
    EXPECT_EQ(window->NTools->actions().mid(2),
              QList<QAction*>({window->NSiteDownload, window->NContacts, window->NMulticast}));
    for (const auto& [action, listed] : commands) {
        std::size_t rows = 0;
        bool busy = false;
        TBookEditMode mode = TBookEditMode::kPick;
        WhenModal<TFrmBookEdit>([&](TFrmBookEdit* editor) {
            busy = window->Busy();
            mode = editor->Mode();
            rows = editor->Rows().size();
            editor->reject();
        });
        (window.get()->*action)->trigger();
        EXPECT_TRUE(busy) << listed;
        EXPECT_EQ(mode, TBookEditMode::kManage) << listed;
        EXPECT_EQ(rows, listed);
        EXPECT_FALSE(window->Busy());
    }
}

TEST_F(FrmMainTest, DeviceListFilesAndTheBookOnClose) {
    Start();
    const std::string saved = Path("saved.dat");
    prompter.fileNames = {QString::fromStdString(saved), QString::fromStdString(saved)};
    window->NSaveList->trigger();
    EXPECT_EQ(QFileInfo(QString::fromStdString(saved)).size(), 4 * 232);
    window->NOpenList->trigger();  // appended, all rows
    EXPECT_EQ(window->List().RowCount(), 8u);
    EXPECT_FALSE(window->List().Row(0).netInfo) << "released before the file was opened";

    // A book that cannot be written keeps the window open with the system's error text.
    const QString book = QString::fromStdString(Path("devdb.dat"));
    QFile::remove(book);
    QDir().mkpath(book + "/blocker");
    EXPECT_FALSE(window->close());
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_FALSE(prompter.messages[0].text.isEmpty());
    EXPECT_TRUE(window->isVisible());

    QDir(book).removeRecursively();
    EXPECT_TRUE(window->close());
    EXPECT_EQ(QFileInfo(book).size(), 8 * 232);
    TDeviceList reread;
    ASSERT_TRUE(LoadDeviceFile(Path("devdb.dat"), true, reread).ok);
    EXPECT_EQ(reread.RowCount(), 4u);  // only the Books rows come back
}

TEST_F(FrmMainTest, ExportListWritesTheRowsAsShown) {
    Start();
    prompter.fileNames = {QString::fromStdString(Path("list.xlsx"))};
    window->NExportList->trigger();
    EXPECT_TRUE(prompter.messages.empty());
    TTable table;
    TTableError error;
    ASSERT_TRUE(ReadTableFile(Path("list.xlsx"), table, &error)) << TableErrorText(error);
    ASSERT_EQ(table.header.fields.size(), 9u);
    EXPECT_EQ(table.header.fields[3], "IP 地址");
    std::vector<std::string> shown;
    for (const TCsvRecord& row : table.rows)
        shown.push_back(row.fields.at(1) + "|" + row.fields.at(3));
    EXPECT_EQ(shown, (std::vector<std::string>{"7001|127.0.12.9", "old-account|127.0.12.50",
                                               "8001|127.0.12.1", "|127.0.12.2"}));
}

}  // namespace
