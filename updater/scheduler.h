// Scheduling of one batch: which terminal gets a worker when, and how the workers' progress
// reports become the rows' Process texts and the log. Shared by the window and batch mode;
// runs on one thread (the window's), Qt-free.
#pragma once

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

class TBatchScheduler {
  public:
    static constexpr int kSuccessorDelayMs = 50;

    TBatchScheduler(IBatchView& view, IWorkerHost& host) : view_(view), host_(host) {}

    // Starts a batch with the job of this Start (not while Running()). False when no worker
    // was started: the caller then warns "No device selected".
    bool Start(std::shared_ptr<const TUpdateJob> job);

    // A progress message of the worker of address.
    void HandleProgress(std::uint32_t address, std::uint32_t param);

    bool Running() const { return started_ != finished_ || pendingSuccessors_ > 0; }
    unsigned Started() const { return started_; }
    unsigned Finished() const { return finished_; }

  private:
    enum class EMark { None, Started, Refused, NotStarted };

    EMark MarkOf(std::size_t row) const;
    // Starts the row's worker, or refuses the row (invalid or repeated address) and says why.
    bool Launch(std::size_t row);
    // The next waiting row starts kSuccessorDelayMs later, without holding up the window.
    void ScheduleSuccessor();
    void StartSuccessor();
    void EndIfAllFinished();

    IBatchView& view_;
    IWorkerHost& host_;
    std::shared_ptr<const TUpdateJob> job_;
    std::vector<EMark> marks_;
    struct TLive {
        std::size_t row;
        bool resetSeen = false;  // its reset report started the successor already
    };
    std::map<std::uint32_t, TLive> live_;  // each running worker, by address
    std::vector<bool> wanted_;             // rows checked at Start
    std::set<std::uint32_t> used_;         // addresses started in this batch
    unsigned started_ = 0;
    unsigned finished_ = 0;
    int pendingSuccessors_ = 0;
};
