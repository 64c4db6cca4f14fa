// pelmora-cli books download in-process against simulated family-520 terminals with the
// protocol's real waits: the tables the terminals hold afterwards, the result lines and the exit
// codes. The test's terminals live on 127.N.1.x of the process's block.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "cli/clicommands.h"
#include "manager/books/listfile.h"
#include "manager/hostdl/hostentries.h"
#include "manager/hostdl/tests/hostfleet.h"
#include "tests/testnet.h"

namespace fs = std::filesystem;

namespace {

class BooksDownloadCliTest : public ::testing::Test {
  protected:
    void SetUp() override {
        home = fs::temp_directory_path() /
               ("pelmora-bookdl-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(home);
        fs::create_directories(home);
        fs::create_symlink(fs::path(PELMORA_BIN_DIR) / "libkvsetup.so", home / "libkvsetup.so");
        ::setenv("KVSETUP_TARGETS", testnet::Range(1, 1, 9).c_str(), 1);
    }
    void TearDown() override { fs::remove_all(home); }

    int Run(std::vector<std::string> args) {
        args.insert(args.begin(), {"--home", home.string(), "books", "download"});
        out.str("");
        err.str("");
        return RunCli(args, home.string(), out, err);
    }
    void WriteSelection(const char* file, const std::vector<std::vector<std::string>>& cells) {
        TListRows rows;
        for (const auto& columns : cells)
            AppendListRow(rows, columns);
        ASSERT_TRUE(SaveListFile(rows, ListFilePath(home.string(), file)));
    }

    fs::path home;
    std::ostringstream out, err;
};

TEST_F(BooksDownloadCliTest, SendsTheSelectionToEachTargetInTurn) {
    THostFleet hosts;
    std::string error;
    ASSERT_TRUE(hosts.Start(testnet::Address(1, 1), 3, {"SIP520", "SIP525", "SIP1601"}, &error))
        << error;
    WriteSelection(kDlMulticastsFile,
                   {{"Hall", "239.1.1.1", "5000"}, {"Yard", "239.1.1.2", "5002"}});

    // The first by its address, the second by its MAC on the local network.
    ASSERT_EQ(Run({"zones", testnet::InBlock("127.0.1.1"), "2.75.86.0.0.2"}), kExitOk) << err.str();
    EXPECT_EQ(out.str(), testnet::InBlock("127.0.1.1\tok\n2.75.86.0.0.2\tok\n"));
    EXPECT_NE(err.str().find("2.75.86.0.0.2: 正在写分区表，已写分区个数(2)。。。\n"),
              std::string::npos)
        << err.str();
    const std::vector<THostEntry> zones = {ZoneEntry("1", "Hall", {239, 1, 1, 1}, 5000),
                                           ZoneEntry("2", "Yard", {239, 1, 1, 2}, 5002)};
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(hosts.store->Terminal(i).Table(EHostTable::Zone), zones) << i;
        EXPECT_EQ(hosts.fleet->Stats(i).logins, 1u) << i;
    }
    EXPECT_EQ(hosts.fleet->Stats(0).logouts, 1u);  // by address
    EXPECT_EQ(hosts.fleet->Stats(1).logouts, 0u);  // by MAC: never logged out

    // No terminal at .9, and a model without host tables: both fail, nothing is sent.
    ASSERT_EQ(Run({"zones", testnet::InBlock("127.0.1.9"), testnet::InBlock("127.0.1.3")}),
              kExitFailure);
    EXPECT_EQ(out.str(), testnet::InBlock("127.0.1.9\tfailed\n127.0.1.3\tfailed\n"));
    EXPECT_NE(err.str().find(testnet::InBlock("127.0.1.9: no terminal answers")), std::string::npos)
        << err.str();
    EXPECT_NE(err.str().find(testnet::InBlock("127.0.1.3: not a terminal with an address book")),
              std::string::npos);
    EXPECT_EQ(hosts.store->Terminal(2).datagrams, 0);
}

TEST_F(BooksDownloadCliTest, RefusesBadArgumentsAndMissingSelections) {
    WriteSelection(kDlContactsFile, {});
    const struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"zones", testnet::InBlock("127.0.1.1")}, "DlMulticasts.dat: no such selection file"},
        {{"contacts", testnet::InBlock("127.0.1.1")}, "DlContacts.dat: the selection is empty"},
        {{"pets", testnet::InBlock("127.0.1.1")}, "unknown selection pets"},
        {{"zones"}, "needs a selection and a TARGET"},
        {{"zones", "127.71.1"}, "\"127.71.1\" is neither an IP address nor a MAC text"},
        {{"zones", testnet::InBlock("127.0.1.1"), "--user", "admin"},
         "--user and --password go together"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Run(c.args), kExitUsage) << c.message;
        EXPECT_NE(err.str().find(c.message), std::string::npos) << err.str();
        EXPECT_EQ(out.str(), "");
    }
}

}  // namespace
