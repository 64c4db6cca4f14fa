// The conversations of a batch on a few event-driven threads (about one per core): each
// conversation is a state machine over its own UDP socket, bound to the first free local port
// of 9100-9999 when it is started; each thread waits for all of its sockets and time-outs at
// once (common/platform/poller.h). Replies count only from the terminal's address and agent port.
// Qt-free.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "updater/conversation.h"

class TConversationEngine {
  public:
    // Called on an engine thread for every progress event of a conversation; a percentage or
    // attempt that did not change is not reported again. The Finished event is each
    // conversation's last, and its version can be taken with Reap from then on.
    using ReportFn = std::function<void(std::uint32_t address, EProgressKind, std::uint32_t)>;

    // threads 0: one per core.
    TConversationEngine(TProtocolTimes times, ReportFn report, int threads = 0);
    // Waits for the running conversations to end (each within its bounded waits).
    ~TConversationEngine();
    TConversationEngine(const TConversationEngine&) = delete;
    TConversationEngine& operator=(const TConversationEngine&) = delete;

    // Opens and binds the conversation's socket on the calling thread and starts it.
    void Start(std::uint32_t address, std::shared_ptr<const TUpdateJob> job);
    // After its Finished event: the version the terminal reported (device bytes); closes the
    // conversation's socket. Empty for an unknown address.
    std::string Reap(std::uint32_t address);
    bool Idle() const;

    struct Task;
    struct Loop;

  private:
    void EnsureLoops();

    TProtocolTimes times_;
    ReportFn report_;
    int threadCount_;
    std::vector<std::unique_ptr<Loop>> loops_;
    std::size_t nextLoop_ = 0;
    std::uint64_t nextId_ = 1;
    std::map<std::uint32_t, std::unique_ptr<Task>> tasks_;  // by address, the caller's thread
};
