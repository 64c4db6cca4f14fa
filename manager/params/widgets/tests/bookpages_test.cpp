// The address-book pages of a SIP520 editor: loading the selections, Edit, Up/Down with the save
// when the page is left, and the downloads into a simulated terminal's host tables.
#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <cstdlib>
#include <memory>

#include "common/translation.h"
#include "common/xmlobj.h"
#include "editortestkit.h"
#include "manager/access/devicerecord.h"
#include "manager/access/kvlibrary.h"
#include "manager/books/listfile.h"
#include "manager/hostdl/tests/hostfleet.h"
#include "manager/params/paramdevice.h"
#include "manager/params/widgets/bookpages.h"
#include "tests/shippedlanguage.h"
#include "tests/testnet.h"

namespace {

using namespace std::chrono_literals;
using TCells = std::vector<std::vector<std::string>>;

TListRows Rows(const TCells& cells) {
    TListRows rows;
    for (const auto& columns : cells)
        AppendListRow(rows, columns);
    return rows;
}

// Number and columns of every row.
TCells Cells(const TListRows& rows) {
    TCells cells;
    for (const TListRow& row : rows)
        cells.push_back({row.number, row.Column(0), row.Column(1), row.Column(2)});
    return cells;
}

TCells Shown(const QTreeWidget* list) {
    TCells cells;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        std::vector<std::string> row;
        for (int c = 0; c < 4; ++c)
            row.push_back(list->topLevelItem(i)->text(c).toStdString());
        cells.push_back(row);
    }
    return cells;
}

// Calls act(dialog) every 20 ms while a modal dialog of that name is open, until it returns true.
void WhileOpen(const char* name, std::function<bool(QWidget*)> act) {
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, name, act] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (dialog && dialog->objectName() == name && act(dialog)) poll->deleteLater();
    });
    poll->start(20);
}

// Presses the progress dialog's button once the job has ended; records the text and the bar.
struct TDialogEnd {
    QString text;
    int bar = -1, total = -1;
};
void CloseWhenDone(TDialogEnd* end) {
    WhileOpen("FrmDownloadWait", [end](QWidget* dialog) {
        auto* button = dialog->findChild<QPushButton*>("BtnDownloadStop");
        if (button->text() == QStringLiteral("停止下载(&S)")) return false;
        end->text = dialog->findChild<QLabel*>("lblCurInfo")->text();
        end->bar = dialog->findChild<QProgressBar*>("ProgressBar")->value();
        end->total = dialog->findChild<QProgressBar*>("ProgressBar")->maximum();
        button->click();
        return true;
    });
}

TDownloadDialogOptions ShortWaits() {
    TDownloadDialogOptions options;
    options.startDelay = 10ms;
    options.timing = {20ms, 10ms, 300ms, 10ms};
    return options;
}

TPageRegistry Registry(const TDownloadDialogOptions& options) {
    TPageRegistry registry = StandardPageRegistry();
    RegisterBookPages(registry, options);
    return registry;
}

const TCells kContacts = {{"8001", "Lobby", "Floor1"},
                          {"8002", "Gate", "floor1"},
                          {"8003", "", "Floor2"},
                          {"8004", "Yard", ""}};
const TCells kZones = {
    {"Hall", "239.1.1.1", "5001"}, {"Yard", "239.1.1.2", "5002"}, {"Gate", "239.1.1.3", "5003"}};

// A SIP520 editor on a scratch folder; the terminal's search and logout are recorded.
struct TBookBench {
    explicit TBookBench(const TDownloadDialogOptions& options = ShortWaits())
        : bench(Registry(options)) {}

    std::string Path(const char* file) const {
        return ListFilePath(bench.Folder().toStdString(), file);
    }
    void Write(const char* file, const TCells& cells) { SaveListFile(Rows(cells), Path(file)); }
    TCells Read(const char* file) const {
        TListRows rows;
        LoadListFile(rows, Path(file));
        return Cells(rows);
    }

    TFrmProperty& Open(const TParamBlock& block, const std::string& accessAddress = "") {
        TFrmPropertyDeps deps = bench.Deps();
        deps.searchOne = [this](const std::string& ip, TDeviceRecord* record) {
            searches.push_back(ip);
            StrToFixed(searchModel, record->bytes + devrec::kModel, devrec::kModelWidth);
            return searchResult;
        };
        deps.logout = [this](const std::string&, const TMacBytes&) { ++logouts; };
        if (access) {
            deps.login = [this](const std::string& ip, const TMacBytes& mac) {
                return LoginTerminal(*access, ip, mac, [] { return std::nullopt; }).kind ==
                       TLoginOutcome::TKind::kLoggedIn;
            };
            deps.logout = [this](const std::string& ip, const TMacBytes& mac) {
                ++logouts;
                LogoutTerminal(*access, ip, mac);
            };
            deps.searchOne = [this](const std::string& ip, TDeviceRecord* record) {
                return access->SearchOne(ip, record);
            };
        }
        bench.editor = std::make_unique<TFrmProperty>(deps);
        bench.editor->SetBlock(block);
        bench.editor->SetAccessAddress(accessAddress);
        bench.editor->show();
        QApplication::setActiveWindow(bench.editor.get());
        return *bench.editor;
    }

    template <typename T>
    T* Find(const char* name) const {
        return bench.Find<T>(name);
    }
    void Click(const char* name) const { Find<QPushButton>(name)->click(); }

    TEditorBench bench;
    IDeviceAccess* access = nullptr;  // the real library instead of the recorded calls
    std::vector<std::string> searches;
    std::int32_t searchResult = 1;
    std::string searchModel = "SIP520";
    int logouts = 0;
};

struct TPageCase {
    const char* file;
    const char* list;
    const char* up;
    const char* down;
    const char* download;
    const char* otherDownload;
    TCells rows;
    TCells afterUpFromLast;  // the file after the last row moved one place up
};

const TPageCase kPages[] = {
    {kDlContactsFile,
     "lvBkContacts",
     "btnContactUp",
     "btnContactDown",
     "btnContactDownload",
     "BtnMulticastDownload",
     kContacts,
     {{"1", "8001", "Lobby", "Floor1"},
      {"2", "8002", "Gate", "floor1"},
      {"3", "8004", "Yard", ""},
      {"4", "8003", "", "Floor2"}}},
    // Zone numbers and names stay; addresses and ports travel.
    {kDlMulticastsFile,
     "lvBkMulticasts",
     "BtnMulticastUp",
     "BtnMulticastDown",
     "BtnMulticastDownload",
     "btnContactDownload",
     kZones,
     {{"1", "Hall", "239.1.1.1", "5001"},
      {"2", "Yard", "239.1.1.3", "5003"},
      {"3", "Gate", "239.1.1.2", "5002"}}},
};

TEST(BookPages, LoadMoveAndSaveWhenThePageIsLeft) {
    for (const TPageCase& c : kPages) {
        SCOPED_TRACE(c.list);
        TBookBench b;
        b.Write(c.file, c.rows);
        TFrmProperty& editor = b.Open(MakeBlock("SIP520"));
        auto* list = b.Find<QTreeWidget>(c.list);
        auto* up = b.Find<QPushButton>(c.up);
        auto* down = b.Find<QPushButton>(c.down);
        EXPECT_EQ(Shown(list), b.Read(c.file));
        EXPECT_TRUE(b.Find<QPushButton>(c.download)->isEnabled());
        EXPECT_FALSE(b.Find<QPushButton>(c.otherDownload)->isEnabled());  // no selection file
        EXPECT_FALSE(up->isEnabled());
        EXPECT_FALSE(down->isEnabled());

        const int last = list->topLevelItemCount() - 1;
        const struct {
            int row;
            bool up, down;
        } enabling[] = {{0, false, true}, {1, true, true}, {last, true, false}};
        for (const auto& e : enabling) {
            list->setCurrentItem(list->topLevelItem(e.row));
            EXPECT_EQ(up->isEnabled(), e.up) << e.row;
            EXPECT_EQ(down->isEnabled(), e.down) << e.row;
        }

        list->setFocus();
        up->click();
        EXPECT_EQ(Shown(list), c.afterUpFromLast);
        EXPECT_EQ(list->indexOfTopLevelItem(list->currentItem()), last - 1);
        EXPECT_TRUE(editor.Context().bookChanged);
        EXPECT_EQ(b.Read(c.file), Cells(Rows(c.rows)));  // saved only when the page is left
        b.Find<QWidget>("OrgTreeView")->setFocus();
        EXPECT_EQ(b.Read(c.file), c.afterUpFromLast);
        EXPECT_FALSE(editor.Context().bookChanged);

        // Closing the editor with the focus on the page leaves it too.
        list->setFocus();
        down->click();
        editor.reject();
        EXPECT_EQ(b.Read(c.file), Cells(Rows(c.rows)));
    }
}

TEST(BookPages, EditTakesTheChosenRowsInMasterListOrder) {
    TBookBench b;
    b.Write(kContactsFile,
            {{"8001", "Lobby", "Floor1"}, {"8002", "Gate", "Floor1"}, {"8003", "Hall", "Floor2"}});
    b.Write(kDlContactsFile, {{"8003", "Hall", "Floor2"}, {"8001", "Old name", "Floor1"}});
    b.Write(kDlMulticastsFile, kZones);
    TFrmProperty& editor = b.Open(MakeBlock("SIP520"));

    // The real select dialog, ticked from the page's rows; OK takes them in its own order.
    WhileOpen("FrmContactEdit", [](QWidget* dialog) {
        dialog->findChild<QPushButton*>("btnOk")->click();
        return true;
    });
    b.Click("btnContactEdit");
    const TCells chosen = {{"1", "8001", "Lobby", "Floor1"}, {"2", "8003", "Hall", "Floor2"}};
    EXPECT_EQ(Shown(b.Find<QTreeWidget>("lvBkContacts")), chosen);
    EXPECT_EQ(b.Read(kDlContactsFile), chosen);

    // The zone page hands "address=port" texts over; a cancelled selection changes nothing.
    QStringList given;
    std::optional<TListRows> answer = Rows({{"Gate", "239.1.1.3", "5003"}});
    editor.Context().selectMulticasts = [&](QWidget*, const QStringList& preselection) {
        given = preselection;
        return answer;
    };
    b.Click("BtnMulticastEdit");
    EXPECT_EQ(given, QStringList({"239.1.1.1=5001", "239.1.1.2=5002", "239.1.1.3=5003"}));
    EXPECT_EQ(b.Read(kDlMulticastsFile), TCells({{"1", "Gate", "239.1.1.3", "5003"}}));
    answer = std::nullopt;
    b.Click("BtnMulticastEdit");
    EXPECT_EQ(b.Read(kDlMulticastsFile), TCells({{"1", "Gate", "239.1.1.3", "5003"}}));
    answer = TListRows{};
    b.Click("BtnMulticastEdit");
    EXPECT_FALSE(b.Find<QPushButton>("BtnMulticastDownload")->isEnabled());
}

TEST(BookPages, ShippedLanguageFileTranslatesThePagesAndTheOfflineMessage) {
    TShippedLanguage doc;
    ASSERT_TRUE(doc.Loaded());
    TBookBench b;
    b.searchResult = 0;
    b.Write(kDlMulticastsFile, kZones);
    b.Open(MakeBlock("SIP520"));
    const struct {
        const char* button;
        const char* text;
    } buttons[] = {{"btnContactEdit", "Edi&t"},
                   {"btnContactDownload", "Do&wnload contacts"},
                   {"btnContactUp", "&Up"},
                   {"BtnMulticastDown", "Dow&n"},
                   {"BtnMulticastDownload", "Do&wnload address table"}};
    for (const auto& button : buttons)
        EXPECT_EQ(b.Find<QPushButton>(button.button)->text(), button.text);
    EXPECT_EQ(b.Find<QTreeWidget>("lvBkMulticasts")->headerItem()->text(3), "Port");
    b.Click("BtnMulticastDownload");
    EXPECT_EQ(b.bench.prompter.MessageTexts(),
              QStringList{"The device is offline, the download failed"});
}

// One simulated SIP520 terminal per case, 127.B.N.1 (B: the process's block).
class BookDownloadTest : public ::testing::Test {
  protected:
    void Start(std::uint8_t network) {
        std::string error;
        ASSERT_TRUE(hosts.Start(testnet::Address(network, 1), 1, {"SIP520"}, &error)) << error;
    }
    TParamBlock TerminalBlock() const {
        TParamBlock block;
        block.bytes = hosts.fleet->State(0).block;
        return block;
    }
    std::vector<std::string> Table(EHostTable table, std::vector<THostEntryField> fields) const {
        std::vector<std::string> texts;
        const termsim::THostTerminalTables terminal = hosts.store->Terminal(0);
        for (const THostEntry& entry : terminal.Table(table)) {
            std::string text;
            for (const THostEntryField& field : fields)
                text += (text.empty() ? "" : "|") + EntryText(entry, field);
            texts.push_back(text);
        }
        return texts;
    }
    std::vector<std::string> Zones() const {
        std::vector<std::string> texts;
        const termsim::THostTerminalTables terminal = hosts.store->Terminal(0);
        for (const THostEntry& e : terminal.Table(EHostTable::Zone))
            texts.push_back(EntryText(e, hostentry::kZoneNumber) + "|" +
                            EntryText(e, hostentry::kZoneName) + "|" + std::to_string(e[48]) + "." +
                            std::to_string(e[49]) + "." + std::to_string(e[50]) + "." +
                            std::to_string(e[51]) + ":" + std::to_string(e[52] | e[53] << 8));
        return texts;
    }

    THostFleet hosts;
};

// What the contact page above sends: Floor1 and floor1 are one group.
const std::vector<std::string> kDevices = {"8001|Lobby", "8002|Gate", "8004|Yard"};
const std::vector<std::string> kGroups = {"1|Floor1", "2|Floor2"};
const std::vector<std::string> kGroupDevices = {"1|8001", "1|8002", "2|8003"};

TEST_F(BookDownloadTest, LoginOnlineCheckAndJob) {
    const struct {
        const char* what;
        bool login;
        std::int32_t searchResult;
        const char* searchModel;
        const char* button;
        bool dialog;  // the job ran
        bool saved;   // the moved page is in its file
        int searches, logouts;
    } cases[] = {
        {"login refused", false, 1, "SIP520", "btnContactDownload", false, false, 0, 0},
        {"no answer to the search", true, 0, "SIP520", "btnContactDownload", false, true, 1, 1},
        {"not a SIP model", true, 1, "XP-100", "BtnMulticastDownload", false, true, 1, 1},
        {"contacts", true, 1, "SIP520", "btnContactDownload", true, true, 1, 1},
        {"zones", true, 1, "SIP520", "BtnMulticastDownload", true, true, 1, 1},
    };
    std::uint8_t network = 1;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_NO_FATAL_FAILURE(Start(network++));
        TBookBench b;
        b.bench.login = [&](const std::string&, const TMacBytes&) { return c.login; };
        b.searchResult = c.searchResult;
        b.searchModel = c.searchModel;
        b.Write(kDlContactsFile, kContacts);
        b.Write(kDlMulticastsFile, kZones);
        b.Open(TerminalBlock(), "127.70.0.1");
        // A move not yet saved: the download saves the page first.
        const bool contacts = std::string_view(c.button) == "btnContactDownload";
        auto* list = b.Find<QTreeWidget>(contacts ? "lvBkContacts" : "lvBkMulticasts");
        list->setCurrentItem(list->topLevelItem(1));
        b.Click(contacts ? "btnContactUp" : "BtnMulticastUp");
        const TCells moved = Shown(list);

        TDialogEnd end;
        if (c.dialog) CloseWhenDone(&end);
        b.Click(c.button);

        EXPECT_EQ(b.Read(contacts ? kDlContactsFile : kDlMulticastsFile) == moved, c.saved);
        EXPECT_EQ(b.searches.size(), static_cast<std::size_t>(c.searches));
        // The terminal's own address, from its block.
        if (c.searches > 0) {
            EXPECT_EQ(b.searches[0], termsim::AddressText(hosts.fleet->State(0).BlockAddress()));
        }
        EXPECT_EQ(b.logouts, c.logouts);
        const bool offline = c.login && !c.dialog;
        EXPECT_EQ(b.bench.prompter.MessageTexts(),
                  offline ? QStringList{QStringLiteral("设备已离线，下载失败")} : QStringList{});
        if (!c.dialog) {
            EXPECT_EQ(hosts.store->Terminal(0).datagrams, 0);
            hosts = THostFleet();
            continue;
        }
        EXPECT_EQ(end.text, QStringLiteral("下载成功"));
        EXPECT_EQ(end.bar, end.total);
        if (contacts) {
            // The moved rows: 8002 first. Totals: 3 + 2 + 3 entries, no full batch, 8 steps.
            EXPECT_EQ(end.total, 16);
            EXPECT_EQ(
                Table(EHostTable::Device, {hostentry::kDeviceAccount, hostentry::kDeviceName}),
                std::vector<std::string>({"8002|Gate", "8001|Lobby", "8004|Yard"}));
            EXPECT_EQ(Table(EHostTable::Group, {hostentry::kGroupNumber, hostentry::kGroupName}),
                      std::vector<std::string>({"1|floor1", "2|Floor2"}));
            EXPECT_EQ(Table(EHostTable::GroupDevice,
                            {hostentry::kGroupDeviceGroup, hostentry::kGroupDeviceAccount}),
                      std::vector<std::string>({"1|8002", "1|8001", "2|8003"}));
        } else {
            EXPECT_EQ(end.total, 7);
            EXPECT_EQ(Zones(),
                      std::vector<std::string>({"1|Hall|239.1.1.2:5002", "2|Yard|239.1.1.1:5001",
                                                "3|Gate|239.1.1.3:5003"}));
        }
        hosts = THostFleet();
    }
}

// The whole road with the protocol's real waits: the device-access library logs in to and out of
// the simulated terminal and finds it online; the tables then hold the page.
TEST_F(BookDownloadTest, ContactDownloadWithTheRealWaits) {
    ASSERT_NO_FATAL_FAILURE(Start(20));
    const std::string ip = termsim::AddressText(hosts.fleet->State(0).address);
    ::setenv("KVSETUP_TARGETS", (ip + "-" + ip).c_str(), 1);
    std::string error;
    const std::unique_ptr<TKvLibrary> library = TKvLibrary::Load(PELMORA_BIN_DIR, &error);
    ASSERT_TRUE(library) << error;
    TBookBench b(TDownloadDialogOptions{});
    b.access = library.get();
    b.Write(kDlContactsFile, kContacts);
    b.Open(TerminalBlock(), ip);
    TDialogEnd end;
    CloseWhenDone(&end);
    b.Click("btnContactDownload");
    EXPECT_EQ(end.text, QStringLiteral("下载成功"));
    EXPECT_EQ(Table(EHostTable::Device, {hostentry::kDeviceAccount, hostentry::kDeviceName}),
              kDevices);
    EXPECT_EQ(Table(EHostTable::Group, {hostentry::kGroupNumber, hostentry::kGroupName}), kGroups);
    EXPECT_EQ(Table(EHostTable::GroupDevice,
                    {hostentry::kGroupDeviceGroup, hostentry::kGroupDeviceAccount}),
              kGroupDevices);
    EXPECT_EQ(hosts.fleet->Stats(0).logins, 1u);
    EXPECT_EQ(hosts.fleet->Stats(0).logouts, 1u);
    EXPECT_TRUE(b.bench.prompter.messages.empty());
}

}  // namespace
