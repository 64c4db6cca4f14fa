#include "updater/scheduler.h"

#include <optional>

#include "updater/ipv4text.h"
#include "updater/protocol.h"

bool TBatchScheduler::Start(std::shared_ptr<const TUpdateJob> job) {
    if (Running()) return false;
    job_ = std::move(job);
    started_ = finished_ = 0;
    used_.clear();
    marks_.assign(view_.RowCount(), EMark::None);
    wanted_.assign(marks_.size(), false);
    for (std::size_t row = 0; row < marks_.size(); ++row) {
        view_.SetRowProcess(row, "");
        wanted_[row] = view_.RowChecked(row);
    }
    const int limit = view_.ThreadsLimit();
    int count = 0;
    for (std::size_t row = 0; row < marks_.size(); ++row) {
        if (!view_.RowChecked(row)) continue;
        if (limit > 0 && count >= limit) break;
        if (Launch(row)) ++count;
    }
    return count > 0;
}

TBatchScheduler::EMark TBatchScheduler::MarkOf(std::size_t row) const {
    return row < marks_.size() ? marks_[row] : EMark::None;
}

bool TBatchScheduler::Launch(std::size_t row) {
    if (row >= marks_.size()) marks_.resize(row + 1, EMark::None);
    const std::string ipText = view_.RowIpText(row);
    std::optional<std::uint32_t> address = ParseIpText(ipText);
    // A worker whose reports match no row, or match another row, could never be shown: refuse.
    if (!address || used_.count(*address)) {
        marks_[row] = EMark::Refused;
        view_.SetRowProcess(row, address ? "Duplicate IP" : "Invalid IP");
        view_.AppendLog(ipText + (address ? " is listed more than once, not updated."
                                          : " is not a valid IP address, not updated."));
        return false;
    }
    marks_[row] = EMark::Started;
    used_.insert(*address);
    live_[*address] = TLive{row};
    host_.StartWorker(*address, job_);
    ++started_;
    view_.SetStartEnabled(false);
    return true;
}

void TBatchScheduler::StartSuccessor() {
    const std::size_t rows = view_.RowCount();
    for (std::size_t row = 0; row < rows; ++row)
        if (view_.RowChecked(row) && MarkOf(row) == EMark::None && Launch(row)) return;
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
    // A row meant for this batch that never got a worker is said so, not left blank.
    for (std::size_t row = 0; row < wanted_.size() && row < view_.RowCount(); ++row) {
        if (!wanted_[row] || marks_[row] != EMark::None) continue;
        marks_[row] = EMark::NotStarted;
        view_.SetRowProcess(row, "Not started");
        view_.AppendLog(view_.RowIpText(row) + " was not started, not updated.");
    }
    view_.AppendLog("All update process has finished");
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
            view_.SetRowProcess(row, "code " + value + " %");
            break;
        case 5:
            view_.SetRowProcess(row, "data " + value + " %");
            break;
        case 3:
            view_.SetRowProcess(row, "Search " + value);
            break;
        case 2:
            view_.SetRowProcess(row, "Reset");
            if (!live->second.resetSeen) ScheduleSuccessor();
            live->second.resetSeen = true;
            break;
        case 4: {
            const std::string ipText = IpTextOf(address);
            const unsigned code = param % 16777216u;
            std::string version = host_.ReapWorker(address);
            // A worker that ends before its reset frees its place all the same.
            if (!live->second.resetSeen) ScheduleSuccessor();
            live_.erase(live);
            std::string line;
            if (code == 0) {
                view_.SetRowVersion(row, version);
                line = ipText + " update process is sucessful";
                view_.SetRowProcess(row, "OK");
            } else {
                line = ipText + " update process is break off. (" + ResultText(code) + ")";
                view_.SetRowProcess(row, "FAULT");
            }
            ++finished_;
            view_.AppendLog(line);
            EndIfAllFinished();
            break;
        }
        default:
            break;
    }
}
