// pelmora-cli params in-process against simulated terminals on loopback: what the terminals hold
// afterwards, what the files hold, and the refusals. Each test has a network of its own
// (127.B.1 to 127.B.7, B: the process's block), as ctest runs them at the same time.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>

#include "cli/clicommands.h"
#include "common/atomicfile.h"
#include "common/csv.h"
#include "manager/params/pagesave.h"
#include "manager/params/pagevalues.h"
#include "manager/params/paramblock.h"
#include "manager/params/paramfamily.h"
#include "manager/params/paramfile.h"
#include "manager/params/paramfilecommands.h"
#include "termsim/fleet.h"
#include "tests/testnet.h"

namespace fs = std::filesystem;

namespace {

TParamBlock BlockOf(const termsim::TerminalState& state) {
    TParamBlock block;
    block.bytes = state.block;
    return block;
}

std::string Value(const termsim::TerminalState& state, const char* field) {
    return FormatFieldValue(BlockOf(state), ParamField(field));
}

class ParamsCliTest : public ::testing::Test {
  protected:
    void SetUp() override {
        home = fs::temp_directory_path() /
               ("pelmora-params-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(home);
        fs::create_directories(home);
    }
    void TearDown() override {
        fleet.reset();
        fs::remove_all(home);
    }

    void StartFleet(std::uint8_t network, std::vector<std::string> models,
                    const std::string& loginUser = "", const std::string& loginPassword = "") {
        termsim::FleetOptions options;
        options.count = static_cast<int>(models.size());
        options.firstAddress = testnet::Address(network, 1);
        options.models = std::move(models);
        options.loginUser = loginUser;
        options.loginPassword = loginPassword;
        fleet = std::make_unique<termsim::Fleet>(options);
        std::string error;
        ASSERT_TRUE(fleet->Start(&error)) << error;
        net = testnet::InBlock("127.0.") + std::to_string(network) + ".";
        ::setenv("KVSETUP_TARGETS", (net + "1-" + net + "9").c_str(), 1);
    }

    int Run(std::vector<std::string> args) {
        args.insert(args.begin(), {"--home", home.string(), "params"});
        out.str("");
        err.str("");
        // The library lies beside the program, not in the home folder, as when installed.
        return RunCli(args, PELMORA_BIN_DIR, out, err);
    }

    fs::path home;
    std::string net;
    std::unique_ptr<termsim::Fleet> fleet;
    std::ostringstream out, err;
};

TEST_F(ParamsCliTest, SetWritesThroughTheFieldTableAndGetShowsIt) {
    ASSERT_NO_FATAL_FAILURE(StartFleet(1, {"SIP1601", "SIP520"}, "admin", "50738264"));
    const TParamBlock before = BlockOf(fleet->State(0));

    // The terminal wants credentials: without them nothing is written.
    EXPECT_EQ(Run({"set", net + "1", "display_name=Gate West"}), kExitFailure);
    EXPECT_NE(err.str().find("give --user and --password"), std::string::npos) << err.str();
    EXPECT_EQ(fleet->Stats(0).writes, 0u);

    // A bad value is refused naming the field, before any login.
    EXPECT_EQ(Run({"set", net + "1", "display_name=Gate West", "ip=192.168.1.300", "--user",
                   "admin", "--password", "50738264"}),
              kExitUsage);
    EXPECT_NE(err.str().find("ip: \"192.168.1.300\" is not an IPv4 address"), std::string::npos);
    EXPECT_EQ(fleet->Stats(0).logins, 1u);
    // The network page's check: manual addressing wants an address.
    EXPECT_EQ(Run({"set", net + "1", "dhcp=0", "ip="}), kExitFailure);
    EXPECT_EQ(err.str(), "pelmora-cli: " + net +
                             "1: refused: ip: The IP address is empty or wrong, please check it "
                             "(check 1)\n");
    ASSERT_EQ(Run({"--lang", "zh_CN", "set", net + "1", "dhcp=0", "ip="}), kExitFailure);
    EXPECT_NE(err.str().find("ip: IP地址为空或不正确，请查正 (check 1)"), std::string::npos)
        << err.str();
    EXPECT_EQ(fleet->Stats(0).logins, 1u);

    ASSERT_EQ(Run({"set", net + "1", "display_name=Gate West", "dhcp=0", "ip=" + net + "7",
                   "mask=255.0.0.0", "gateway=" + net + "254", "sip.port=5060", "timezone=-03:30",
                   "--user", "admin", "--password", "50738264"}),
              kExitOk)
        << err.str();
    // What changed, as apply prints it, under the terminal's new address.
    EXPECT_TRUE(out.str().starts_with(net + "1 (" + net + "7): changed\n")) << out.str();
    EXPECT_NE(out.str().find("\n  display_name: Terminal 1 → Gate West\n"), std::string::npos);
    EXPECT_NE(out.str().find("\n  timezone: +08:00 → -03:30\n"), std::string::npos) << out.str();
    const termsim::TerminalState moved = fleet->State(0);
    EXPECT_EQ(moved.address, testnet::Address(1, 7));
    EXPECT_EQ(fleet->Stats(0).logouts, 1u);  // at the new address, where it answers
    EXPECT_EQ(Value(moved, "display_name"), "Gate West");
    EXPECT_EQ(Value(moved, "display_name_copy"), "47617465205765737400" + std::string(12, '0'));
    EXPECT_EQ(Value(moved, "sip.port"), "5060");
    EXPECT_EQ(Value(moved, "timezone"), "-03:30");
    // Every other byte is what the editor's save makes of the terminal's own: reserved bytes as
    // they were, the multicast codec list down to its first codec, the data port's protocol 1.
    TParamBlock expected = before;
    SetFieldText(expected, ParamField("display_name"), "Gate West");
    SetFieldInt(expected, ParamField("dhcp"), 0);
    SetFieldIp(expected, ParamField("ip"), net + "7");
    SetFieldIp(expected, ParamField("mask"), "255.0.0.0");
    SetFieldIp(expected, ParamField("gateway"), net + "254");
    SetFieldInt(expected, ParamField("sip.port"), 5060);
    SetFieldInt(expected, ParamField("timezone"), -210);
    EXPECT_EQ(BlockOf(moved), SaveShownPages(expected, before));
    EXPECT_EQ(Value(moved, "multicast.codec"), "1");
    EXPECT_EQ(Value(moved, "uart_data.protocol"), "1");

    ASSERT_EQ(Run({"get", net + "7"}), kExitOk) << err.str();
    EXPECT_NE(out.str().find("\ndisplay_name=Gate West\n"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("\nip=" + net + "7\n"), std::string::npos);

    // By MAC on the local network: no logout (the access address is empty).
    ASSERT_EQ(
        Run({"set", "2.75.86.0.0.2", "sip.user=9002", "--user", "admin", "--password", "50738264"}),
        kExitOk)
        << err.str();
    EXPECT_EQ(Value(fleet->State(1), "sip.user"), "9002");
    EXPECT_EQ(Value(fleet->State(1), "sip.user_copy"), "39303032" + std::string(24, '0'));
    EXPECT_EQ(fleet->Stats(1).logouts, 0u);
    ASSERT_EQ(Run({"get", "2.75.86.0.0.2", "--csv"}), kExitOk);
    EXPECT_NE(out.str().find("\r\nsip.user,9002\r\n"), std::string::npos) << out.str();
}

TEST_F(ParamsCliTest, BackupWritesEachBlockAndRestoreIsTheEditorsImportThenSave) {
    ASSERT_NO_FATAL_FAILURE(StartFleet(2, {"SIP1603", "SIP1201", "SIP310"}));
    const fs::path dir = home / "backup";
    ASSERT_EQ(Run({"backup", "--out", dir.string()}), kExitOk) << err.str();
    for (int i = 0; i < 3; ++i) {
        TParamBlock file;
        const std::string name = "024B5600000" + std::to_string(i + 1) + ".dps";
        ASSERT_TRUE(LoadParamFile((dir / name).string(), file).ok()) << name;
        EXPECT_EQ(file, BlockOf(fleet->State(i))) << name;
    }

    // The terminal changes; its own backup brings the pages back, while a reserved byte keeps
    // what the terminal holds now.
    const std::string own = (dir / "024B56000001.dps").string();
    TParamBlock changed = BlockOf(fleet->State(0));
    SetFieldText(changed, ParamField("display_name"), "Changed");
    changed[1300] = 0x11;
    fleet->SetBlock(0, changed.bytes);
    ASSERT_EQ(Run({"restore", own, net + "1"}), kExitOk) << err.str();
    TParamBlock file;
    ASSERT_TRUE(LoadParamFile(own, file).ok());
    EXPECT_EQ(BlockOf(fleet->State(0)),
              SaveShownPages(ImportParamBlock(file, changed).block, changed));
    EXPECT_EQ(Value(fleet->State(0), "display_name"),
              FormatFieldValue(file, ParamField("display_name")));
    EXPECT_EQ(fleet->State(0).block[1300], 0x11);

    // Another terminal of the family: the pages it has take the file's values; its identity,
    // feature flags (the SIP1603 has a data port, the SIP1201 not), the data port's fields and
    // every reserved byte stay its own.
    SetFieldInt(file, ParamField("dhcp"), 0);  // with DHCP on it would keep its address
    SetFieldIp(file, ParamField("ip"), net + "8");
    const std::string moved = (home / "moved.dps").string();
    ASSERT_TRUE(SaveParamFile(moved, file).ok());
    TParamBlock second = BlockOf(fleet->State(1));
    second[8] = 0;  // a SIP1201 without the data port
    fleet->SetBlock(1, second.bytes);
    ASSERT_TRUE(HasDataPort(file));
    ASSERT_EQ(Run({"restore", moved, net + "2"}), kExitOk) << err.str();
    const TParamBlock restored = BlockOf(fleet->State(1));
    EXPECT_EQ(restored, SaveShownPages(ImportParamBlock(file, second).block, second));
    for (const TByteRange& range : ReservedRanges())
        for (std::size_t i = range.first; i <= range.last; ++i)
            EXPECT_EQ(restored[i], second[i]) << i;
    for (const char* name : {"features", "model", "mac", "uart_data.baud", "event_server"})
        EXPECT_EQ(Value(fleet->State(1), name), FormatFieldValue(second, ParamField(name))) << name;
    EXPECT_EQ(Value(fleet->State(1), "display_name"),
              FormatFieldValue(file, ParamField("display_name")));
    EXPECT_EQ(fleet->State(1).address, testnet::Address(2, 8));

    // A terminal of another family refuses it, and nothing is written.
    EXPECT_EQ(Run({"restore", own, net + "3"}), kExitFailure);
    EXPECT_NE(
        err.str().find("Sorry, the parameters are of another device type; nothing was imported! "
                       "(the file is of model"),
        std::string::npos)
        << err.str();
    EXPECT_EQ(fleet->Stats(2).writes, 0u);

    // Named targets only; one that does not answer fails the run, the others are written.
    fs::remove_all(dir);
    EXPECT_EQ(Run({"backup", "--out", dir.string(), net + "3", net + "5"}), kExitFailure);
    EXPECT_NE(err.str().find(net + "5: no terminal answers"), std::string::npos) << err.str();
    EXPECT_TRUE(fs::exists(dir / "024B56000003.dps"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST_F(ParamsCliTest, SiteBackupIndexAndDiffAgainstIt) {
    ASSERT_NO_FATAL_FAILURE(StartFleet(6, {"SIP520", "SIP1601"}));
    const fs::path dir = home / "site";
    // One by address, one by MAC: the index shows where each answered.
    ASSERT_EQ(Run({"backup", "--out", dir.string(), "--site", net + "1", "2.75.86.0.0.2"}), kExitOk)
        << err.str();
    std::string csv;
    ASSERT_TRUE(ReadWholeFile((dir / "index.csv").string(), csv));
    EXPECT_TRUE(csv.starts_with("\xEF\xBB\xBF"));
    std::vector<TCsvRecord> records;
    ASSERT_TRUE(ParseCsv(csv, ',', records, nullptr));
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].fields, (std::vector<std::string>{"MAC", "IP", "Model", "Firmware",
                                                           "Account", "Display name", "File"}));
    EXPECT_EQ(records[1].fields,
              (std::vector<std::string>{"2.75.86.0.0.1", net + "1", "SIP520", "V2.6.0", "8001",
                                        "Terminal 1", "024B56000001.dps"}));
    EXPECT_EQ(records[2].fields[0], "2.75.86.0.0.2");
    EXPECT_EQ(records[2].fields[1], Value(fleet->State(1), "ip"));
    EXPECT_EQ(records[2].fields[6], "024B56000002.dps");

    const std::string backup = (dir / "024B56000002.dps").string();
    EXPECT_EQ(Run({"diff", net + "2", backup}), kExitOk) << err.str();
    EXPECT_EQ(out.str(), "");

    ASSERT_EQ(Run({"set", net + "2", "display_name=Gate", "key1=multicast:239.0.0.1:5000"}),
              kExitOk)
        << err.str();
    EXPECT_EQ(Run({"diff", net + "2", backup}), kExitFailure) << err.str();
    // The save also stored the data port's protocol as every save of the editor does.
    EXPECT_EQ(out.str(),
              "uart_data.protocol: 1 → 0\ndisplay_name: Gate → Terminal 2\n"
              "key1: multicast:239.0.0.1:5000 → call:\n");
    // Two files, as a table.
    const std::string now = (home / "now.dps").string();
    ASSERT_TRUE(SaveParamFile(now, BlockOf(fleet->State(1))).ok());
    EXPECT_EQ(Run({"diff", backup, now, "--csv"}), kExitFailure);
    EXPECT_TRUE(
        out.str().starts_with("Name," + backup + "," + now +
                              "\r\nuart_data.protocol,0,1\r\ndisplay_name,Terminal 2,Gate\r\n"))
        << out.str();

    const struct {
        std::vector<std::string> args;
        std::string message;
    } errors[] = {
        {{"diff", backup}, "diff needs two"},
        {{"diff", backup, net + "2"}, "diff compares with a FILE.dps"},
        {{"diff", net + "9", backup}, net + "9: no terminal answers"},
        {{"diff", (home / "none.dps").string(), backup}, "none.dps: "},
    };
    for (const auto& e : errors) {
        EXPECT_EQ(Run(e.args), kExitUsage) << e.message;
        EXPECT_NE(err.str().find(e.message), std::string::npos) << err.str();
    }
}

TEST_F(ParamsCliTest, PageValuesGoByTheirPagesFormsAndChecks) {
    ASSERT_NO_FATAL_FAILURE(StartFleet(4, {"SIP1601", "SIP460"}));
    ASSERT_EQ(Run({"set", net + "1", "key1=multicast:239.1.1.1:5004", "key2=call:8002",
                   "monitor3=239.0.0.3:5003", "talk.codecs=G.722,G.711a(PCMA)",
                   "auto_answer=hangup", "data_uart.baud=19200", "data_uart.parity=even"}),
              kExitOk)
        << err.str();
    const TParamBlock block = BlockOf(fleet->State(0));
    EXPECT_EQ(std::vector<int>(block.begin() + 924, block.begin() + 932),
              (std::vector<int>{3, 2, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Value(fleet->State(0), "monitor3.priority"), "3");
    EXPECT_EQ(Value(fleet->State(0), "talk.auto_answer"), "61");
    ASSERT_EQ(Run({"get", net + "1"}), kExitOk) << err.str();
    for (const char* line :
         {"\nkey1=multicast:239.1.1.1:5004\n", "\nkey2=call:8002\n", "\nmonitor3=239.0.0.3:5003\n",
          "\nmonitor4=\n", "\ntalk.codecs=G.722,G.711a(PCMA)\n", "\ntalk.auto_answer=hangup\n",
          "\nuart_data.baud=19200\n", "\nuart_data.parity=EVEN\n", "\nkey2.type=2\n"})
        EXPECT_NE(out.str().find(line), std::string::npos) << line << out.str();

    // The pages' checks: nothing is written.
    const struct {
        std::string value;
        const char* message;
    } refused[] = {
        {"talk.codecs=", "talk.codecs: at least one codec is needed"},
        {"talk.codecs=G.722,G.722", "is not a codec name"},
        {"key3=call:8001234567890123", "key3: \"call:8001234567890123\" is not"},
        {"monitor1=239.0.0.1", "is not ADDRESS:PORT"},
        {"auto_answer=62", "talk.auto_answer: \"62\" is not seconds from 0 to 60, or hangup"},
        {"data_uart.frame_interval=1000", "is not a number from 0 to 255"},
        {"uart_ctrl.target_ip=1.2.3", "uart_ctrl.target_ip: \"1.2.3\" is not an IPv4"},
        {"data_uart.target=10.0.0.300", "uart_data.target_ip: \"10.0.0.300\" is not an IPv4"},
    };
    for (const auto& c : refused) {
        EXPECT_EQ(Run({"set", net + "1", c.value}), kExitUsage) << c.value;
        EXPECT_NE(err.str().find(c.message), std::string::npos) << err.str();
    }
    EXPECT_EQ(fleet->Stats(0).writes, 1u);

    // A family without a multicast page: the talk input goes to the multicast input too. No key
    // page, no data port: those values are refused.
    ASSERT_EQ(Run({"set", net + "2", "talk.input=line"}), kExitOk) << err.str();
    EXPECT_EQ(Value(fleet->State(1), "multicast.input"), "1");
    EXPECT_EQ(Run({"set", net + "2", "key1=call:1"}), kExitFailure);
    EXPECT_NE(err.str().find("key1: the terminal has no page \"KeySetting\""), std::string::npos);
}

TEST_F(ParamsCliTest, DefaultsComeFromTheFamilyFileElseTheBuiltInGroups) {
    ASSERT_NO_FATAL_FAILURE(StartFleet(5, {"SIP430", "SIP1601"}));
    ASSERT_EQ(Run({"set", net + "1", "talk.gain=55", "key1=call:9001", "sip.user=4301", "dhcp=1"}),
              kExitOk)
        << err.str();
    ASSERT_EQ(Run({"defaults", net + "1"}), kExitOk) << err.str();
    EXPECT_EQ(out.str(), net + "1: built-in defaults\n");
    EXPECT_EQ(fleet->State(0).address, testnet::Address(5, 1));  // DHCP on: the terminal keeps it
    EXPECT_EQ(Value(fleet->State(0), "ip"), "10.1.1.10");
    EXPECT_EQ(Value(fleet->State(0), "talk.gain"), "20");
    EXPECT_EQ(Value(fleet->State(0), "sip.user"), "");
    EXPECT_EQ(Value(fleet->State(0), "key1.target"), "");

    // The family's default parameter file: its pages' fields, the terminal's own identity.
    TParamBlock file = BlockOf(fleet->State(1));
    ASSERT_EQ(ParsePageValue(file, *FindPageValue("talk.gain"), "44"), "");
    SetFieldText(file, ParamField("sip.user"), "1600");
    SetFieldInt(file, ParamField("uart_ctrl.frame_size"), 7);
    file[1300] = 0x77;  // a reserved byte stays the terminal's
    fs::create_directories(home / "Data");
    ASSERT_TRUE(SaveParamFile((home / "Data" / "default1601.dps").string(), file).ok());
    const TParamBlock before = BlockOf(fleet->State(1));
    ASSERT_EQ(Run({"defaults", net + "2"}), kExitOk) << err.str();
    EXPECT_EQ(out.str(), net + "2: default parameter file\n");
    const TParamBlock after = BlockOf(fleet->State(1));
    EXPECT_EQ(Value(fleet->State(1), "talk.gain"), "44");
    EXPECT_EQ(Value(fleet->State(1), "sip.user"), "1600");
    EXPECT_EQ(Value(fleet->State(1), "uart_ctrl.frame_size"), "1000");
    EXPECT_EQ(after[1300], before[1300]);
}

// Terminals the editor would not open, and values of pages a terminal lacks, are refused before
// anything is written.
TEST_F(ParamsCliTest, WritesTheEditorWouldRefuseLeaveTheTerminalUntouched) {
    ASSERT_NO_FATAL_FAILURE(StartFleet(6, {"SIP520", "SIP1601"}));
    TParamBlock old = BlockOf(fleet->State(1));
    SetFieldText(old, ParamField("firmware"), "V2.4.1");
    fleet->SetBlock(1, old.bytes);
    const std::string file = (home / "own.dps").string();
    ASSERT_TRUE(SaveParamFile(file, old).ok());
    const struct {
        std::vector<std::string> args;
        int exit;
        std::string message;
    } cases[] = {
        {{"set", net + "1", "event_server=127.0.0.9"},
         kExitFailure,
         "refused: event_server: the terminal has no page \"GPIO\" (no data serial port)\n"},
        {{"set", net + "1", "uart_data.baud=9600"},
         kExitFailure,
         "uart_data.baud: the terminal has no"},
        {{"set", net + "1", "display_name=\xF0\x9F\x98\x80"}, kExitUsage, "code page cannot hold"},
        {{"set", net + "2", "display_name=Gate"},
         kExitFailure,
         "refused: firmware below V2.5 (\"V2.4.1\")\n"},
        {{"defaults", net + "2"}, kExitFailure, "firmware below V2.5"},
        // The library refuses an address outside KVSETUP_TARGETS before anything is sent.
        {{"get", "192.0.2.20"},
         kExitFailure,
         "192.0.2.20: no terminal answers at this address (result -8, the address is outside "
         "KVSETUP_TARGETS)\n"},
        {{"restore", file, net + "2"}, kExitFailure, "firmware below V2.5"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Run(c.args), c.exit) << c.args[0];
        EXPECT_NE(err.str().find(c.message), std::string::npos) << err.str();
    }
    EXPECT_EQ(fleet->Stats(0).writes, 0u);
    EXPECT_EQ(fleet->Stats(1).writes, 0u);
}

TEST_F(ParamsCliTest, FieldsListAndBadArguments) {
    ASSERT_EQ(Run({"fields"}), kExitOk);
    EXPECT_NE(out.str().find("\r\nmgmt.port,176,2,port (big-endian),0 to 65535,BaseParam,"),
              std::string::npos);
    for (const char* name :
         {"ip", "mask", "gateway", "dhcp", "dns1", "dns2", "mgmt.server", "mgmt.port", "sip.server",
          "sip.port", "sip.local_port", "sip.user", "sip.password", "display_name", "keepalive",
          "expiry", "timezone", "time_server1", "time_server2"})
        EXPECT_NE(out.str().find(std::string("\r\n") + name + ","), std::string::npos) << name;

    // Page values with their aliases, in their pages' forms; what plans accept.
    for (const char* line :
         {"\r\ntalk.echo,468,1,page value,\"0 off, 1 low, 2 medium, 3 high, 4 highest\","
          "IntercomSetting,as the page shows it,echo,yes\r\n",
          "\r\nkey1,,,page value,call:NUMBER or multicast:ADDRESS:PORT,KeySetting,as the page "
          "shows it,,yes\r\n",
          "\r\nmodel,12,32,text,read only,RunInfo,model name,,no\r\n"})
        EXPECT_NE(out.str().find(line), std::string::npos) << line;

    std::ofstream(home / "short.dps") << "x";
    // A missing file is reported in the system's own words.
    std::string none, noneText;
    ASSERT_FALSE(ReadWholeFile((home / "none.dps").string(), none, &noneText));
    const std::string noneMessage = "none.dps: " + noneText;
    const struct {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{"get"}, "get needs one TARGET"},
        {{"get", "1.2.3"}, "\"1.2.3\" is neither an IP address nor a MAC text"},
        {{"get", "1.2.3.4.5.300"}, "neither an IP address nor a MAC text"},
        {{"set", testnet::InBlock("127.0.3.1"), "nosuch=1"},
         "unknown name nosuch (see: params fields)\n"},
        {{"set", testnet::InBlock("127.0.3.1"), "ip"}, "\"ip\" is not NAME=VALUE"},
        {{"set", testnet::InBlock("127.0.3.1"), testnet::InBlock("ip=127.0.3.2"), "--user", "u"},
         "--user and --password"},
        {{"backup", testnet::InBlock("127.0.3.1")}, "backup needs --out DIR"},
        {{"restore", (home / "short.dps").string(), testnet::InBlock("127.0.3.1")},
         "1 bytes instead of 1356"},
        {{"restore", (home / "none.dps").string(), testnet::InBlock("127.0.3.1")},
         noneMessage.c_str()},
        {{"frob"}, "unknown params command frob"},
        {{"fields", "x"}, "fields takes no arguments"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Run(c.args), kExitUsage) << c.message;
        EXPECT_NE(err.str().find(c.message), std::string::npos) << err.str();
        EXPECT_TRUE(out.str().empty()) << c.message;
    }
}

}  // namespace
