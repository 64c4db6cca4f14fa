#include "updater/scheduler.h"

#include <optional>

#include "updater/ipv4text.h"
#include "updater/protocol.h"

bool TBatchScheduler::Start(std::shared_ptr<const TUpdateJob> job, unsigned round) {
    if (Running()) return false;
    job_ = std::move(job);
    round_ = round;
    started_ = finished_ = 0;
    used_.clear();
    const std::size_t rows = view_.RowCount();
    if (round <= 1) outcomes_.assign(rows, TRowOutcome{});
    outcomes_.resize(rows);
    unsigned wanted = 0;
    for (std::size_t row = 0; row < rows; ++row) {
        const bool checked = view_.RowChecked(row);
        if (round > 1 && !checked) continue;  // a retry keeps what the other rows went through
        outcomes_[row] = TRowOutcome{};
        SetProcess(row, "");
        if (!checked) continue;
        outcomes_[row].state = EState::Waiting;
        outcomes_[row].round = round;
        outcomes_[row].versionBefore = view_.RowVersionText(row);
        ++wanted;
    }
    if (round > 1) Log("retrying the failed terminals (" + std::to_string(wanted) + ")");
    const int limit = view_.ThreadsLimit();
    int count = 0;
    for (std::size_t row = 0; row < rows; ++row) {
        if (!view_.RowChecked(row)) continue;
        if (limit > 0 && count >= limit) break;
        if (Launch(row)) ++count;
    }
    return count > 0;
}

TRowOutcome& TBatchScheduler::Outcome(std::size_t row) {
    if (row >= outcomes_.size()) outcomes_.resize(row + 1);
    return outcomes_[row];
}

TBatchScheduler::EState TBatchScheduler::StateOf(std::size_t row) const {
    return row < outcomes_.size() ? outcomes_[row].state : EState::Idle;
}

void TBatchScheduler::SetProcess(std::size_t row, const std::string& text) {
    Outcome(row).process = text;
    view_.SetRowProcess(row, text);
}

void TBatchScheduler::Log(const std::string& line) {
    view_.AppendLog(round_ > 1 ? "Round " + std::to_string(round_) + ": " + line : line);
}

std::vector<std::size_t> TBatchScheduler::RetriableRows() const {
    std::vector<std::size_t> rows;
    for (std::size_t row = 0; row < outcomes_.size(); ++row)
        if (outcomes_[row].Retriable()) rows.push_back(row);
    return rows;
}

TBatchCounts TBatchScheduler::Counts() const {
    TBatchCounts counts;
    for (const TRowOutcome& o : outcomes_) {
        switch (o.state) {
            case EState::Done:
                ++counts.done;
                break;
            case EState::Failed:
            case EState::NotStarted:
            case EState::Refused:
                ++counts.failed;
                break;
            case EState::Running:
                ++counts.running;
                break;
            case EState::Waiting:
                ++counts.waiting;
                break;
            case EState::Idle:
                break;
        }
    }
    return counts;
}

bool TBatchScheduler::Launch(std::size_t row) {
    TRowOutcome& o = Outcome(row);
    if (o.state == EState::Idle) {  // checked after the round started
        o.round = round_;
        o.versionBefore = view_.RowVersionText(row);
    }
    const std::string ipText = view_.RowIpText(row);
    std::optional<std::uint32_t> address = ParseIpText(ipText);
    // A worker whose reports match no row, or match another row, could never be shown: refuse.
    if (!address || used_.count(*address)) {
        o.state = EState::Refused;
        SetProcess(row, address ? "Duplicate IP" : "Invalid IP");
        Log(ipText + (address ? " is listed more than once, not updated."
                              : " is not a valid IP address, not updated."));
        return false;
    }
    o.state = EState::Running;
    o.start = std::chrono::system_clock::now();
    used_.insert(*address);
    live_[*address] = TLive{row, false, std::chrono::steady_clock::now()};
    host_.StartWorker(*address, job_);
    ++started_;
    view_.SetStartEnabled(false);
    return true;
}

void TBatchScheduler::StartSuccessor() {
    const std::size_t rows = view_.RowCount();
    for (std::size_t row = 0; row < rows; ++row) {
        const EState state = StateOf(row);
        if (view_.RowChecked(row) && (state == EState::Waiting || state == EState::Idle) &&
            Launch(row))
            return;
    }
}

void TBatchScheduler::ScheduleSuccessor() {
    ++pendingSuccessors_;
    host_.After(kSuccessorDelayMs, [this] {
        --pendingSuccessors_;
        StartSuccessor();
        EndIfAllFinished();
    });
}

void TBatchScheduler::EndIfAllFinished() {
    if (Running()) return;
    // A row meant for this round that never got a worker is said so, not left blank.
    for (std::size_t row = 0; row < outcomes_.size() && row < view_.RowCount(); ++row) {
        if (outcomes_[row].state != EState::Waiting) continue;
        outcomes_[row].state = EState::NotStarted;
        SetProcess(row, "Not started");
        Log(view_.RowIpText(row) + " was not started, not updated.");
    }
    Log("All update process has finished");
    view_.SetStartEnabled(true);
}

void TBatchScheduler::HandleProgress(std::uint32_t address, std::uint32_t param) {
    auto live = live_.find(address);
    if (live == live_.end()) return;
    const std::size_t row = live->second.row;
    const std::uint32_t kind = param / 16777216u;
    const std::string value = std::to_string(param % 16777216u);
    switch (kind) {
        case 1:
            SetProcess(row, "code " + value + " %");
            break;
        case 5:
            SetProcess(row, "data " + value + " %");
            break;
        case 3:
            SetProcess(row, "Search " + value);
            break;
        case 2:
            SetProcess(row, "Reset");
            if (!live->second.resetSeen) ScheduleSuccessor();
            live->second.resetSeen = true;
            break;
        case 4: {
            const std::string ipText = IpTextOf(address);
            const unsigned code = param % 16777216u;
            std::string version = host_.ReapWorker(address);
            // A worker that ends before its reset frees its place all the same.
            if (!live->second.resetSeen) ScheduleSuccessor();
            TRowOutcome& o = Outcome(row);
            o.code = static_cast<int>(code);
            o.duration = std::chrono::steady_clock::now() - live->second.since;
            live_.erase(live);
            std::string line;
            if (code == 0) {
                o.state = EState::Done;
                o.versionAfter = version;
                view_.SetRowVersion(row, version);
                line = ipText + " update process is sucessful";
                SetProcess(row, "OK");
            } else {
                o.state = EState::Failed;
                line = ipText + " update process is break off. (" + ResultText(code) + ")";
                SetProcess(row, "FAULT");
            }
            ++finished_;
            Log(line);
            EndIfAllFinished();
            break;
        }
        default:
            break;
    }
}
