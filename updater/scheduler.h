// Scheduling of one batch: which terminal gets a worker when, and how the workers' progress
// reports become the rows' Process texts and the log. Shared by the window and batch mode;
// runs on one thread (the window's), Qt-free.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "updater/updatejob.h"

// The device list and log as the scheduler sees them (the window, or batch mode's console).
class IBatchView {
  public:
    virtual ~IBatchView() = default;
    virtual std::size_t RowCount() const = 0;
    virtual bool RowChecked(std::size_t row) const = 0;
    virtual std::string RowIpText(std::size_t row) const = 0;
    virtual std::string RowVersionText(std::size_t row) const = 0;
    virtual void SetRowProcess(std::size_t row, const std::string& text) = 0;
    virtual void SetRowVersion(std::size_t row, const std::string& text) = 0;
    virtual void AppendLog(const std::string& line) = 0;
    virtual void SetStartEnabled(bool enabled) = 0;
    virtual int ThreadsLimit() const = 0;  // 0 or below: no limit
};

// Creates, waits for and destroys the workers.
class IWorkerHost {
  public:
    virtual ~IWorkerHost() = default;
    // Creates and starts the worker of one terminal; it reports through HandleProgress.
    virtual void StartWorker(std::uint32_t address, std::shared_ptr<const TUpdateJob> job) = 0;
    // Waits for the worker of address to end, destroys it and returns its version text (UTF-8).
    virtual std::string ReapWorker(std::uint32_t address) = 0;
    // Calls fn on the scheduler's thread after ms milliseconds; the thread keeps running meanwhile.
    virtual void After(int ms, std::function<void()> fn) = 0;
};

// Progress message parameter: kind in the top 8 bits, value in the low 24 bits.
inline constexpr std::uint32_t ProgressParam(std::uint32_t kind, std::uint32_t value) {
    return kind * 16777216u + (value & 0xFFFFFFu);
}

// What one row went through in the last round it took part in: for retries and the report.
struct TRowOutcome {
    enum class EState {
        Idle,        // not part of a round yet
        Waiting,     // checked, no worker yet
        Running,     // its worker runs
        Done,        // updated ("OK")
        Failed,      // its worker ended with a result code 1 to 5 ("FAULT")
        NotStarted,  // the round ended before it got a worker
        Refused,     // invalid or repeated address; never retried
    };
    EState state = EState::Idle;
    unsigned round = 0;
    int code = -1;              // result code of its worker, -1 none
    std::string process;        // the Process text last set
    std::string versionBefore;  // the Version text when its round started
    std::string versionAfter;   // reported after a successful update
    std::chrono::system_clock::time_point start;
    std::chrono::steady_clock::duration duration{};

    bool Retriable() const { return state == EState::Failed || state == EState::NotStarted; }
};

struct TBatchCounts {
    unsigned done = 0, failed = 0, running = 0, waiting = 0;
};

class TBatchScheduler {
  public:
    static constexpr int kSuccessorDelayMs = 50;

    TBatchScheduler(IBatchView& view, IWorkerHost& host) : view_(view), host_(host) {}

    // Starts a round with the job of this Start (not while Running()). Round 1 clears every
    // row; a later round (a retry) runs the checked rows again and keeps what the others went
    // through, and its log lines say their round. False when no worker was started: the caller
    // then warns "No device selected".
    bool Start(std::shared_ptr<const TUpdateJob> job, unsigned round = 1);

    // A progress message of the worker of address.
    void HandleProgress(std::uint32_t address, std::uint32_t param);

    bool Running() const { return started_ != finished_ || pendingSuccessors_ > 0; }
    unsigned Started() const { return started_; }
    unsigned Finished() const { return finished_; }
    unsigned Round() const { return round_; }
    const std::shared_ptr<const TUpdateJob>& Job() const { return job_; }

    // One entry per row seen since round 1 (rows added later have none).
    const std::vector<TRowOutcome>& Outcomes() const { return outcomes_; }
    std::vector<std::size_t> RetriableRows() const;
    TBatchCounts Counts() const;

  private:
    using EState = TRowOutcome::EState;

    TRowOutcome& Outcome(std::size_t row);
    EState StateOf(std::size_t row) const;
    void SetProcess(std::size_t row, const std::string& text);
    void Log(const std::string& line);
    // Starts the row's worker, or refuses the row (invalid or repeated address) and says why.
    bool Launch(std::size_t row);
    // The next waiting row starts kSuccessorDelayMs later, without holding up the window.
    void ScheduleSuccessor();
    void StartSuccessor();
    void EndIfAllFinished();

    IBatchView& view_;
    IWorkerHost& host_;
    std::shared_ptr<const TUpdateJob> job_;
    std::vector<TRowOutcome> outcomes_;
    struct TLive {
        std::size_t row;
        bool resetSeen = false;  // its reset report started the successor already
        std::chrono::steady_clock::time_point since;
    };
    std::map<std::uint32_t, TLive> live_;  // each running worker, by address
    std::set<std::uint32_t> used_;         // addresses started in this round
    unsigned round_ = 0;
    unsigned started_ = 0;
    unsigned finished_ = 0;
    int pendingSuccessors_ = 0;
};
