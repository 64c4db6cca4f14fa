// pelmora-cli params plan-export and apply in-process against simulated terminals on
// 127.N.7.x: the exported plan, the dry run, the applied plan with its report, the exit codes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "cli/clicommands.h"
#include "common/atomicfile.h"
#include "manager/params/paramblock.h"
#include "manager/shell/devicebook.h"
#include "termsim/fleet.h"
#include "tests/testnet.h"

namespace fs = std::filesystem;

namespace {

class PlanCliTest : public ::testing::Test {
  protected:
    void SetUp() override {
        home = fs::temp_directory_path() / ("pelmora-plan-cli-" + std::to_string(::getpid()));
        fs::remove_all(home);
        fs::create_directories(home);
        termsim::FleetOptions options;
        options.count = 2;
        options.firstAddress = testnet::Address(7, 1);
        options.models = {"SIP1601", "SIP520"};
        fleet = std::make_unique<termsim::Fleet>(options);
        std::string error;
        ASSERT_TRUE(fleet->Start(&error)) << error;
        fs::create_symlink(fs::path(PELMORA_BIN_DIR) / "libkvsetup.so", home / "libkvsetup.so");
        ::setenv("KVSETUP_TARGETS", testnet::Range(7, 1, 9).c_str(), 1);
    }
    void TearDown() override {
        fleet.reset();
        fs::remove_all(home);
    }

    int Run(std::vector<std::string> args) {
        args.insert(args.begin(), {"--home", home.string(), "params"});
        out.str("");
        err.str("");
        return RunCli(args, home.string(), out, err);
    }
    std::string Read(const char* name) {
        std::string bytes;
        EXPECT_TRUE(ReadWholeFile((home / name).string(), bytes)) << name;
        return bytes;
    }
    void Write(const char* name, const std::string& bytes) {
        ASSERT_TRUE(WriteFileAtomically((home / name).string(), bytes));
    }
    std::string Value(int terminal, const char* field) {
        TParamBlock block;
        block.bytes = fleet->State(terminal).block;
        return FormatFieldValue(block, ParamField(field));
    }

    fs::path home;
    std::unique_ptr<termsim::Fleet> fleet;
    std::ostringstream out, err;
};

TEST_F(PlanCliTest, ExportDryRunApplyAndReport) {
    const std::string plan = (home / "plan.csv").string();
    ASSERT_EQ(Run({"plan-export", "--fields", "sip.user,display_name", plan}), kExitOk)
        << err.str();
    // Files start with the byte order mark that makes Excel read UTF-8.
    EXPECT_EQ(Read("plan.csv"),
              "\xEF\xBB\xBFmac,sip.user,display_name\r\n"
              "2.75.86.0.0.1,8001,Terminal 1\r\n"
              "2.75.86.0.0.2,8002,Terminal 2\r\n");

    // The device book's rows, by address, with every field a plan can set.
    TDeviceList book;
    TDeviceRow row;
    row.columns = {"8002", "Terminal 2", testnet::InBlock("127.0.7.2"), "2.75.86.0.0.2", "", "",
                   "",     "Books"};
    book.AppendRow(row);
    ASSERT_TRUE(SaveDeviceFile((home / kDeviceBookFile).string(), book).ok);
    ASSERT_EQ(Run({"plan-export", "--book", (home / "book.csv").string()}), kExitOk) << err.str();
    const std::string exported = Read("book.csv");
    EXPECT_TRUE(exported.starts_with("\xEF\xBB\xBFip,")) << exported;
    EXPECT_NE(exported.find(testnet::InBlock("\r\n127.0.7.2,")), std::string::npos) << exported;
    // Applied back as it stands, it changes nothing.
    ASSERT_EQ(Run({"apply", (home / "book.csv").string()}), kExitOk) << err.str();
    EXPECT_EQ(out.str(), testnet::InBlock("127.0.7.2: unchanged\n"));

    Write("plan.csv",
          "mac,sip.user,display_name\n"
          "2.75.86.0.0.1,,Gate West\n"
          "02:4B:56:00:00:02,9002,\n"
          "02:4B:56:00:00:07,9007,\n");
    ASSERT_EQ(Run({"apply", plan, "--dry-run"}), kExitFailure);
    EXPECT_EQ(out.str(), testnet::InBlock("2.75.86.0.0.1 (127.0.7.1): would change\n"
                                          "  display_name: Terminal 1 → Gate West\n"
                                          "02:4B:56:00:00:02 (127.0.7.2): would change\n"
                                          "  sip.user: 8002 → 9002\n"));
    EXPECT_EQ(err.str(),
              "pelmora-cli: 02:4B:56:00:00:07: not found: not found by the search on the local "
              "network\n");
    EXPECT_EQ(fleet->Stats(0).writes + fleet->Stats(1).writes, 0u);

    const std::string report = (home / "report.csv").string();
    ASSERT_EQ(Run({"apply", plan, "--report", report}), kExitFailure);
    EXPECT_EQ(Value(0, "display_name"), "Gate West");
    EXPECT_EQ(Value(1, "sip.user"), "9002");
    EXPECT_EQ(
        Read("report.csv"),
        testnet::InBlock(
            "\xEF\xBB\xBFLine,Terminal,MAC,Address,Result,Detail,Changes\r\n"
            "2,2.75.86.0.0.1,2.75.86.0.0.1,127.0.7.1,changed,,display_name: Terminal 1 → Gate "
            "West\r\n"
            "3,02:4B:56:00:00:02,2.75.86.0.0.2,127.0.7.2,changed,,sip.user: 8002 → 9002\r\n"
            "4,02:4B:56:00:00:07,,,not found,not found by the search on the local network,\r\n"));

    // A refused plan: every finding, nothing applied, exit 2.
    Write("plan.csv", "mac,display_name,ip\n2.75.86.0.0.1,Again,1.2.3.999\n2.75.86.0.0.1,,\n");
    EXPECT_EQ(Run({"apply", plan}), kExitUsage);
    EXPECT_EQ(err.str(), "pelmora-cli: " + plan +
                             ": line 2, column 3: ip: \"1.2.3.999\" is not an IPv4 address\n"
                             "pelmora-cli: " +
                             plan +
                             ": line 3, column 1: terminal 2.75.86.0.0.1 is planned twice\n"
                             "pelmora-cli: the plan is refused; nothing was applied\n");
    EXPECT_EQ(Value(0, "display_name"), "Gate West");

    const struct {
        std::vector<std::string> args;
        const char* message;
    } usage[] = {
        {{"apply", (home / "none.csv").string()}, "none.csv: No such file"},
        {{"apply"}, "apply needs one file"},
        {{"apply", plan, "--book"}, "apply takes --dry-run, --report, --user and --password only"},
        {{"plan-export", "--fields", "model", plan}, "a plan cannot set \"model\""},
        {{"plan-export", "--dry-run", plan}, "plan-export takes --fields and --book only"},
    };
    for (const auto& c : usage) {
        EXPECT_EQ(Run(c.args), kExitUsage) << c.message;
        EXPECT_NE(err.str().find(c.message), std::string::npos) << err.str();
    }
}

}  // namespace
