// Scheduling of a batch with a scripted device list and workers that run only when the test
// reports for them: which rows start when, their Process texts, the log and the Start button.
#include <gtest/gtest.h>

#include <deque>

#include "updater/ipv4text.h"
#include "updater/report.h"
#include "updater/scheduler.h"

namespace {

struct Row {
    std::string ip;
    bool checked = true;
    std::string process, version;
};

class TFakeView : public IBatchView {
  public:
    std::vector<Row> rows;
    std::vector<std::string> log;
    bool startEnabled = true;
    int threads = 20;

    std::size_t RowCount() const override { return rows.size(); }
    bool RowChecked(std::size_t r) const override { return rows[r].checked; }
    std::string RowIpText(std::size_t r) const override { return rows[r].ip; }
    std::string RowVersionText(std::size_t r) const override { return rows[r].version; }
    void SetRowProcess(std::size_t r, const std::string& t) override { rows[r].process = t; }
    void SetRowVersion(std::size_t r, const std::string& t) override { rows[r].version = t; }
    void AppendLog(const std::string& line) override { log.push_back(line); }
    void SetStartEnabled(bool e) override { startEnabled = e; }
    int ThreadsLimit() const override { return threads; }
};

class TFakeHost : public IWorkerHost {
  public:
    std::vector<std::string> started;  // IP texts in start order
    std::vector<std::string> reaped;
    std::deque<std::function<void()>> timers;
    std::vector<int> delays;
    std::set<const TUpdateJob*> jobs;

    void StartWorker(std::uint32_t address, std::shared_ptr<const TUpdateJob> job) override {
        started.push_back(IpTextOf(address));
        jobs.insert(job.get());
    }
    std::string ReapWorker(std::uint32_t address) override {
        reaped.push_back(IpTextOf(address));
        return "V" + IpTextOf(address);
    }
    void After(int ms, std::function<void()> fn) override {
        delays.push_back(ms);
        timers.push_back(std::move(fn));
    }
    void FireTimers() {
        while (!timers.empty()) {
            auto fn = std::move(timers.front());
            timers.pop_front();
            fn();
        }
    }
};

struct Batch {
    TFakeView view;
    TFakeHost host;
    TBatchScheduler scheduler{view, host};

    explicit Batch(std::vector<std::string> ips, int threads = 20) {
        for (auto& ip : ips)
            view.rows.push_back(Row{ip, true, {}, {}});
        view.threads = threads;
    }
    bool Start() { return scheduler.Start(std::make_shared<const TUpdateJob>()); }
    void Report(const std::string& ip, std::uint32_t kind, std::uint32_t value) {
        scheduler.HandleProgress(*ParseIpText(ip), ProgressParam(kind, value));
    }
    void Reset(const std::string& ip) {
        Report(ip, 2, 0);
        host.FireTimers();
    }
};

const std::vector<std::string> kFive = {"10.0.0.1", "10.0.0.2", "10.0.0.3", "10.0.0.4", "10.0.0.5"};

TEST(Scheduler, TwoThreadsFiveTerminalsStartSuccessorsInListOrder) {
    Batch b(kFive, 2);
    ASSERT_TRUE(b.Start());
    EXPECT_EQ(b.host.started, (std::vector<std::string>{"10.0.0.1", "10.0.0.2"}));
    EXPECT_FALSE(b.view.startEnabled);

    b.Report("10.0.0.2", 1, 49);
    EXPECT_EQ(b.view.rows[1].process, "code 49 %");
    b.Report("10.0.0.2", 5, 7);
    EXPECT_EQ(b.view.rows[1].process, "data 7 %");
    b.Report("10.0.0.2", 2, 0);
    EXPECT_EQ(b.view.rows[1].process, "Reset");
    EXPECT_EQ(b.host.started.size(), 2u) << "the successor waits for its 50 ms timer";
    EXPECT_EQ(b.host.delays, std::vector<int>{50});
    b.host.FireTimers();
    EXPECT_EQ(b.host.started.back(), "10.0.0.3");
    b.Reset("10.0.0.1");
    EXPECT_EQ(b.host.started.back(), "10.0.0.4");
    b.Report("10.0.0.1", 3, 4);
    EXPECT_EQ(b.view.rows[0].process, "Search 4");
    b.Reset("10.0.0.3");
    EXPECT_EQ(b.host.started.back(), "10.0.0.5");
    b.Reset("10.0.0.4");
    b.Reset("10.0.0.5");
    EXPECT_EQ(b.host.started.size(), 5u);

    for (const std::string& ip : kFive) {
        EXPECT_TRUE(b.scheduler.Running());
        b.Report(ip, 4, 0);
    }
    EXPECT_EQ(b.host.reaped, kFive);
    EXPECT_EQ(b.host.jobs.size(), 1u) << "every worker shares the one job of the Start";
    std::vector<std::string> expectedLog;
    for (const std::string& ip : kFive)
        expectedLog.push_back(ip + " update process is sucessful");
    expectedLog.push_back("All update process has finished");
    EXPECT_EQ(b.view.log, expectedLog);
    EXPECT_TRUE(b.view.startEnabled);
    EXPECT_EQ(b.view.rows[2].process, "OK");
    EXPECT_EQ(b.view.rows[2].version, "V10.0.0.3");
    EXPECT_EQ(b.scheduler.Started(), 5u);
    EXPECT_EQ(b.scheduler.Finished(), 5u);
}

TEST(Scheduler, AWorkerThatEndsForAnyReasonFreesItsPlace) {
    Batch b({"10.0.0.1", "10.0.0.2", "10.0.0.3", "10.0.0.4"}, 1);
    ASSERT_TRUE(b.Start());
    b.Report("10.0.0.1", 4, 3);  // failed login, before any reset
    EXPECT_EQ(b.view.rows[0].process, "FAULT");
    EXPECT_EQ(b.host.started.size(), 1u) << "the successor waits for its 50 ms timer";
    EXPECT_EQ(b.host.delays, std::vector<int>{50});
    EXPECT_FALSE(b.view.startEnabled);
    b.host.FireTimers();
    EXPECT_EQ(b.host.started.back(), "10.0.0.2");
    // A reset starts the successor; the same worker's end starts no second one.
    b.Reset("10.0.0.2");
    b.Report("10.0.0.2", 4, 5);
    b.host.FireTimers();
    EXPECT_EQ(b.host.started, (std::vector<std::string>{"10.0.0.1", "10.0.0.2", "10.0.0.3"}));
    b.view.rows[3].checked = false;  // unchecked before its turn: never started
    b.Report("10.0.0.3", 4, 2);
    EXPECT_FALSE(b.view.startEnabled) << "the batch ends only after the pending successor";
    b.host.FireTimers();
    EXPECT_EQ(b.host.started.size(), 3u);
    EXPECT_EQ(b.view.log,
              (std::vector<std::string>{
                  "10.0.0.1 update process is break off. (Login is faulst)",
                  "10.0.0.2 update process is break off. (Can't find the device after update "
                  "process)",
                  "10.0.0.3 update process is break off. (The target decice is offline)",
                  "10.0.0.4 was not started, not updated.", "All update process has finished"}));
    EXPECT_EQ(b.view.rows[3].process, "Not started");
    EXPECT_EQ(b.view.rows[0].version, "");
    EXPECT_TRUE(b.view.startEnabled);
}

TEST(Scheduler, ThreadsLimit) {
    struct Case {
        int threads;
        std::size_t startedAtOnce;
    } cases[] = {{0, 5}, {-3, 5}, {1, 1}, {4, 4}, {9, 5}};
    for (const Case& c : cases) {
        Batch b(kFive, c.threads);
        ASSERT_TRUE(b.Start());
        EXPECT_EQ(b.host.started.size(), c.startedAtOnce) << c.threads;
    }
}

TEST(Scheduler, NoCheckedRowStartsNothing) {
    Batch b(kFive);
    for (Row& r : b.view.rows)
        r.checked = false;
    b.view.rows[0].process = "OK";
    EXPECT_FALSE(b.Start());
    EXPECT_TRUE(b.host.started.empty());
    EXPECT_TRUE(b.view.startEnabled);
    EXPECT_EQ(b.view.rows[0].process, "") << "Start clears every Process text";
    EXPECT_FALSE(b.scheduler.Running());
}

TEST(Scheduler, RowsCheckedOrUncheckedAfterStart) {
    Batch b(kFive, 1);
    b.view.rows[1].checked = false;
    b.view.rows[2].checked = false;
    ASSERT_TRUE(b.Start());
    b.view.rows[1].checked = true;   // checked during the batch: picked up
    b.view.rows[3].checked = false;  // unchecked before its turn: skipped
    b.Reset("10.0.0.1");
    b.Reset("10.0.0.2");
    b.Reset("10.0.0.5");
    EXPECT_EQ(b.host.started, (std::vector<std::string>{"10.0.0.1", "10.0.0.2", "10.0.0.5"}));
}

TEST(Scheduler, InvalidAndRepeatedAddressesAreRefusedWithAReason) {
    Batch b({"10.0.0.1", "not an address", "10.0.0.001", "10.0.0.2"}, 2);
    ASSERT_TRUE(b.Start());
    EXPECT_EQ(b.host.started, (std::vector<std::string>{"10.0.0.1", "10.0.0.2"}))
        << "refused rows do not count against the limit";
    EXPECT_EQ(b.view.rows[1].process, "Invalid IP");
    EXPECT_EQ(b.view.rows[2].process, "Duplicate IP");
    EXPECT_EQ(b.view.log,
              (std::vector<std::string>{"not an address is not a valid IP address, not updated.",
                                        "10.0.0.001 is listed more than once, not updated."}));
    // A reset report never starts a refused row; each report reaches the started row.
    b.Reset("10.0.0.1");
    EXPECT_EQ(b.host.started.size(), 2u);
    b.Report("10.0.0.1", 4, 0);
    b.Report("10.0.0.2", 4, 1);
    b.host.FireTimers();
    EXPECT_EQ(b.view.rows[0].process, "OK");
    EXPECT_EQ(b.view.rows[2].process, "Duplicate IP");
    EXPECT_EQ(b.view.log.back(), "All update process has finished");
    EXPECT_EQ(b.view.log[b.view.log.size() - 2],
              "10.0.0.2 update process is break off. (This update package is not suitable for "
              "the target device)");
}

TEST(Scheduler, StrayAndUnknownReportsAreIgnored) {
    Batch b({"10.0.0.1"});
    ASSERT_TRUE(b.Start());
    b.Report("10.0.0.9", 4, 0);  // no such worker
    b.Report("10.0.0.1", 9, 1);  // unknown kind
    EXPECT_TRUE(b.host.reaped.empty());
    EXPECT_TRUE(b.view.log.empty());
    b.Report("10.0.0.1", 4, 5);
    b.Report("10.0.0.1", 4, 0);  // a second finished report: the worker is gone already
    b.host.FireTimers();
    EXPECT_EQ(b.host.reaped.size(), 1u);
    EXPECT_EQ(b.view.log, (std::vector<std::string>{
                              "10.0.0.1 update process is break off. (Can't find the device "
                              "after update process)",
                              "All update process has finished"}));
}

TEST(Scheduler, BatchEndsOnlyAfterAPendingSuccessor) {
    Batch b({"10.0.0.1", "10.0.0.2"}, 1);
    ASSERT_TRUE(b.Start());
    b.Report("10.0.0.1", 2, 0);  // reset: successor pending
    b.Report("10.0.0.1", 4, 0);  // finished before the timer fired
    EXPECT_FALSE(b.view.startEnabled);
    EXPECT_EQ(b.view.log.size(), 1u);
    b.host.FireTimers();
    EXPECT_EQ(b.host.started.back(), "10.0.0.2");
    b.Report("10.0.0.2", 4, 0);
    b.host.FireTimers();
    EXPECT_EQ(b.view.log.back(), "All update process has finished");
    EXPECT_TRUE(b.view.startEnabled);
    // A new Start runs the checked rows again.
    ASSERT_TRUE(b.Start());
    EXPECT_EQ(b.host.started.size(), 3u);
    EXPECT_EQ(b.view.rows[0].process, "");
}

}  // namespace

namespace {

TEST(Report, FieldsAreQuotedOnlyWhenTheyMustBe) {
    std::vector<TDevListRow> rows = {{"m1", "10.0.0.1", "Door, \"east\"", "V1", "", "T"},
                                     {"m2", "10.0.0.2", "Line\nbreak", "V2", "", "T"}};
    TRowOutcome ran;
    ran.state = TRowOutcome::EState::Done;
    ran.round = 2;
    ran.code = 0;
    ran.process = "OK";
    ran.versionBefore = "V0";
    ran.versionAfter = "V3";
    ran.start = std::chrono::system_clock::from_time_t(1772366405);  // 2026-03-01 12:00:05 UTC
    ran.duration = std::chrono::milliseconds(12345);
    const TTableCells report = ReportTable(rows, {ran});
    EXPECT_EQ(TableCsv(report.header, report.rows),
              "IP,MAC,DeviceName,VersionBefore,VersionAfter,Process,Result,Round,StartTime,"
              "DurationSeconds\r\n"
              "10.0.0.1,m1,\"Door, \"\"east\"\"\",V0,V3,OK,0,2,2026-03-01T12:00:05Z,12.3\r\n"
              "10.0.0.2,m2,\"Line\nbreak\",V2,,,,,,\r\n");
}

}  // namespace
