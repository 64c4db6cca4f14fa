// pelmora-cli books download in-process against simulated family-520 terminals with the
// protocol's real waits: the tables the terminals hold afterwards, the result lines and the exit
// codes. The test's terminals live on 127.N.1.x, 127.N.2.x and 127.N.5.x of the process's block:
// a terminal addressed by MAC is looked for among all targets, and another process's terminals
// with the same MACs must never be among them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

#include "cli/booksdownload.h"
#include "cli/clicommands.h"
#include "common/atomicfile.h"
#include "common/csv.h"
#include "manager/access/kvlibrary.h"
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
        ::setenv("KVSETUP_TARGETS",
                 (testnet::Range(1, 1, 9) + "," + testnet::Range(2, 1, 9) + "," +
                  testnet::Range(5, 1, 9))
                     .c_str(),
                 1);
        // Every terminal that is there answers, however loaded the machine; where none is, the
        // library hears so at once.
        ::setenv("KVSETUP_ATTEMPT_MS", "5000", 1);
    }
    void TearDown() override {
        ::unsetenv("KVSETUP_ATTEMPT_MS");
        fs::remove_all(home);
    }

    int Run(std::vector<std::string> args) {
        args.insert(args.begin(), {"--home", home.string(), "books", "download"});
        out.str("");
        err.str("");
        // The library lies beside the program, not in the home folder, as when installed.
        return RunCli(args, PELMORA_BIN_DIR, out, err);
    }
    void WriteSelection(const char* file, const std::vector<std::vector<std::string>>& cells) {
        TListRows rows;
        for (const auto& columns : cells)
            AppendListRow(rows, columns);
        ASSERT_TRUE(SaveListFile(rows, ListFilePath(home.string(), file)));
    }

    // The result lines in sorted order: terminals served at once end in any order.
    std::vector<std::string> SortedLines() const {
        std::vector<std::string> lines;
        for (std::istringstream text(out.str()); std::getline(text, lines.emplace_back());) {
        }
        lines.pop_back();
        std::sort(lines.begin(), lines.end());
        return lines;
    }
    // Terminals that see every request and answer none.
    static void Silence(THostFleet& hosts, int count) {
        termsim::THostFaults silent;
        silent.silent = true;
        for (int i = 0; i < count; ++i)
            hosts.store->SetFaults(i, silent);
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

    // The first by its address, the second by its MAC on the local network; the terminals' steps
    // in the window's own language.
    ASSERT_EQ(Run({"zones", testnet::InBlock("127.0.1.1"), "2.75.86.0.0.2", "--jobs", "1", "--lang",
                   "Chinese-Simplified"}),
              kExitOk)
        << err.str();
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
    ASSERT_EQ(
        Run({"zones", testnet::InBlock("127.0.1.9"), testnet::InBlock("127.0.1.3"), "--jobs", "1"}),
        kExitFailure);
    EXPECT_EQ(out.str(), testnet::InBlock("127.0.1.9\tfailed\n127.0.1.3\tskipped\n"));
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
        {{"zones", testnet::InBlock("127.0.1.1"), "--jobs", "0"},
         "--jobs needs a number from 1 to 64"},
        {{"zones", testnet::InBlock("127.0.1.1"), "--jobs", "65"},
         "--jobs needs a number from 1 to 64"},
        {{"zones", testnet::InBlock("127.0.1.1"), "--report", "r.txt"},
         "--report needs a FILE.csv or FILE.xlsx"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Run(c.args), kExitUsage) << c.message;
        EXPECT_NE(err.str().find(c.message), std::string::npos) << err.str();
        EXPECT_EQ(out.str(), "");
    }
}

TEST_F(BooksDownloadCliTest, ServesTerminalsAtOnceAndReportsEachOne) {
    THostFleet hosts;
    std::string error;
    ASSERT_TRUE(hosts.Start(testnet::Address(1, 1), 4, {"SIP520"}, &error)) << error;
    termsim::THostFaults refuse;
    refuse.refuseWrites = true;
    hosts.store->SetFaults(1, refuse);
    WriteSelection(kDlMulticastsFile, {{"Hall", "239.1.1.1", "5000"}});
    const std::string report = (home / "site.csv").string();

    // Nobody at .9; .2 refuses every write; .4 by its MAC.
    ASSERT_EQ(Run({"zones", testnet::Text(1, 1), testnet::Text(1, 2), testnet::Text(1, 3),
                   testnet::Text(1, 9), "2.75.86.0.0.4", "--report", report}),
              kExitFailure)
        << err.str();
    const std::vector<std::string> lines = SortedLines();
    EXPECT_EQ(lines, (std::vector<std::string>{
                         testnet::InBlock("127.0.1.1\tok"), testnet::InBlock("127.0.1.2\tfailed"),
                         testnet::InBlock("127.0.1.3\tok"), testnet::InBlock("127.0.1.9\tfailed"),
                         "2.75.86.0.0.4\tok"}));
    EXPECT_NE(err.str().find("3 ok, 2 failed, 0 stopped, 0 skipped, 0 not started of 5 terminals"),
              std::string::npos)
        << err.str();
    for (int i : {0, 2, 3})
        EXPECT_EQ(hosts.store->Terminal(i).Table(EHostTable::Zone).size(), 1u) << i;
    EXPECT_TRUE(hosts.store->Terminal(1).Table(EHostTable::Zone).empty());

    std::string csv;
    ASSERT_TRUE(ReadWholeFile(report, csv));
    std::vector<TCsvRecord> records;
    ASSERT_TRUE(ParseCsv(csv, ',', records, nullptr));
    ASSERT_EQ(records.size(), 6u);
    EXPECT_EQ(records[0].fields,
              (std::vector<std::string>{"Terminal", "MAC", "Result", "Steps", "Duration (s)"}));
    const struct {
        const char* terminal;
        const char* mac;
        const char* result;
        const char* lastStep;
    } rows[] = {
        {"127.0.1.1", "2.75.86.0.0.1", "ok", "Download successful"},
        {"127.0.1.2", "2.75.86.0.0.2", "failed", "Download failed"},
        {"127.0.1.3", "2.75.86.0.0.3", "ok", "Download successful"},
        {"127.0.1.9", "", "failed", "no terminal answers at this address (result 0)"},
        {"2.75.86.0.0.4", "2.75.86.0.0.4", "ok", "Download successful"},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const std::vector<std::string>& f = records[i + 1].fields;
        ASSERT_EQ(f.size(), 5u);
        EXPECT_EQ(f[0], testnet::InBlock(rows[i].terminal));
        EXPECT_EQ(f[1], rows[i].mac);
        EXPECT_EQ(f[2], rows[i].result);
        EXPECT_TRUE(f[3].ends_with(rows[i].lastStep)) << f[3];
        EXPECT_FALSE(f[4].empty());
    }
    EXPECT_NE(records[2].fields[3].find("Writing the zone table failed\nDownload failed"),
              std::string::npos);
}

TEST_F(BooksDownloadCliTest, StopEndsTheRunningJobsAndStartsNoOther) {
    THostFleet hosts;
    std::string error;
    ASSERT_TRUE(hosts.Start(testnet::Address(2, 1), 3, {"SIP525"}, &error)) << error;
    Silence(hosts, 3);
    std::unique_ptr<TKvLibrary> library = TKvLibrary::Load(PELMORA_BIN_DIR, &error);
    ASSERT_TRUE(library) << error;
    TListRows rows;
    AppendListRow(rows, {"Hall", "239.1.1.1", "5000"});
    const std::vector<TSiteBook> books{{EDownloadKind::Zones, rows}};
    std::vector<TSiteTarget> targets;
    for (unsigned c = 1; c <= 3; ++c)
        targets.push_back({testnet::Text(2, c), testnet::Text(2, c), {}});
    TSiteLog log(targets, books);
    TSiteDownload run(books, CliSiteAccess(*library, std::nullopt));
    run.Start(targets, 2);

    // Stop once both running terminals are waiting for their erase to be answered.
    int erasing = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    while (!run.Finished() && std::chrono::steady_clock::now() < deadline) {
        for (const TSiteEvent& event : run.TakeEvents(std::chrono::milliseconds(200))) {
            log.Apply(event);
            if (event.kind == TSiteEvent::TKind::kProgress && event.progress.keyWord == 9 &&
                ++erasing == 2)
                run.Stop();
        }
    }
    ASSERT_TRUE(run.Finished());
    EXPECT_EQ(log.Rows()[0].state, "stopped");
    EXPECT_EQ(log.Rows()[1].state, "stopped");
    EXPECT_EQ(log.Rows()[2].state, "not started");
    EXPECT_EQ(log.Summary(), "0 ok, 0 failed, 2 stopped, 0 skipped, 1 not started of 3 terminals");
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(hosts.fleet->Stats(i).logouts, 1u) << i;
    EXPECT_EQ(hosts.fleet->Stats(2).logins, 0u);
    EXPECT_EQ(hosts.store->Terminal(2).datagrams, 0);
}

TEST_F(BooksDownloadCliTest, CtrlCStopsEveryJobAndReportsTheUnfinished) {
    THostFleet hosts;
    std::string error;
    ASSERT_TRUE(hosts.Start(testnet::Address(5, 1), 3, {"SIP520"}, &error)) << error;
    Silence(hosts, 3);
    WriteSelection(kDlMulticastsFile, {{"Hall", "239.1.1.1", "5000"}});
    int exit = -1;
    std::thread cli([&] {
        exit = Run({"zones", testnet::Text(5, 1), testnet::Text(5, 2), testnet::Text(5, 3),
                    "--jobs", "2"});
    });
    // Both running terminals have their erase request; the third waits for its turn.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while ((hosts.store->Terminal(0).datagrams == 0 || hosts.store->Terminal(1).datagrams == 0) &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    // Only while the run takes Ctrl+C: a signal after it would end the test program.
    const bool reached =
        hosts.store->Terminal(0).datagrams > 0 && hosts.store->Terminal(1).datagrams > 0;
    if (reached) std::raise(SIGINT);
    cli.join();
    ASSERT_TRUE(reached);
    EXPECT_EQ(exit, kExitFailure);
    const std::vector<std::string> lines = SortedLines();
    EXPECT_EQ(lines, (std::vector<std::string>{testnet::InBlock("127.0.5.1\tstopped"),
                                               testnet::InBlock("127.0.5.2\tstopped"),
                                               testnet::InBlock("127.0.5.3\tnot started")}));
    EXPECT_NE(err.str().find("interrupted: stopping every job"), std::string::npos) << err.str();
    EXPECT_NE(err.str().find("0 ok, 0 failed, 2 stopped, 0 skipped, 1 not started of 3 terminals"),
              std::string::npos);
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(hosts.fleet->Stats(i).logouts, 1u) << i;
    EXPECT_EQ(hosts.store->Terminal(2).datagrams, 0);
}

}  // namespace
