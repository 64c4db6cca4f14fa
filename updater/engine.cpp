#include "updater/engine.h"

#include <atomic>
#include <chrono>
#include <queue>
#include <thread>
#include <unordered_map>

#include "common/platform/poller.h"
#include "common/platform/process.h"
#include "updater/threadpolicy.h"
#include "updater/udplink.h"

namespace {

using Clock = std::chrono::steady_clock;
using EKind = TConversationAction::EKind;
constexpr std::size_t kReceiveMax = 2048;

}  // namespace

struct TConversationEngine::Task {
    Task(std::uint64_t id, std::uint32_t address, std::shared_ptr<const TUpdateJob> job,
         TProtocolTimes times, TConversationEngine& engine)
        : id(id),
          address(address),
          port(job->agentPort),
          job(std::move(job)),
          machine(*this->job, times, [this, &engine](EProgressKind kind, std::uint32_t value) {
              Report(engine, kind, value);
          }) {
        socket.BindFirstFree(kFirstLocalPort, kLastLocalPort);
    }

    void Report(TConversationEngine& engine, EProgressKind kind, std::uint32_t value) {
        if (kind == EProgressKind::Finished) return;  // the loop reports it after the version
        const std::uint32_t param = (std::uint32_t(kind) << 24) | (value & 0xFFFFFFu);
        if (param == lastParam) return;
        lastParam = param;
        engine.report_(address, kind, value);
    }

    const std::uint64_t id;
    const std::uint32_t address;
    const std::uint16_t port;
    const std::shared_ptr<const TUpdateJob> job;  // shared read-only by the batch
    TUdpSocket socket;
    TConversationMachine machine;
    TConversationAction action;  // what the conversation is doing now
    Clock::time_point deadline;
    std::uint64_t generation = 0;  // of the armed time-out; older heap entries are stale
    std::uint32_t lastParam = ~0u;
    std::string version;
    std::atomic<bool> finished{false};
};

struct TConversationEngine::Loop {
    struct Timer {
        Clock::time_point when;
        std::uint64_t id, generation;
        bool operator>(const Timer& other) const { return when > other.when; }
    };

    explicit Loop(TConversationEngine& engine) : engine(engine) {
        thread = std::thread([this] { Run(); });
    }
    ~Loop() {
        stop = true;
        poller.Wake();
        thread.join();
    }

    void Add(Task* task) {
        {
            std::lock_guard<std::mutex> lock(mutex);
            incoming.push_back(task);
        }
        poller.Wake();
    }

    void Run() {
        MarkThroughputThread();
        std::vector<std::uint64_t> ready;
        while (!stop) {
            // Time-outs re-armed since (one per block) would otherwise wake the loop for nothing.
            while (!timers.empty() && Stale(timers.top()))
                timers.pop();
            int timeout = -1;
            if (!timers.empty()) {
                auto left =
                    std::chrono::ceil<std::chrono::milliseconds>(timers.top().when - Clock::now());
                timeout = static_cast<int>(std::max<long long>(0, left.count()));
            }
            if (poller.Wait(timeout, ready)) TakeIncoming();
            for (const std::uint64_t id : ready) {
                auto found = tasks.find(id);
                if (found != tasks.end()) Readable(*found->second);
            }
            const Clock::time_point now = Clock::now();
            while (!timers.empty() && timers.top().when <= now) {
                const Timer timer = timers.top();
                timers.pop();
                if (!Stale(timer)) TimedOut(*tasks.find(timer.id)->second);
            }
        }
    }

    bool Stale(const Timer& timer) const {
        auto found = tasks.find(timer.id);
        return found == tasks.end() || found->second->generation != timer.generation;
    }

    void TakeIncoming() {
        std::vector<Task*> added;
        {
            std::lock_guard<std::mutex> lock(mutex);
            added.swap(incoming);
        }
        for (Task* task : added) {
            tasks[task->id] = task;
            poller.Add(task->socket, task->id);
            Advance(*task, task->machine.Begin());
        }
    }

    // Does what the conversation asks for next; false when it has finished (and is gone).
    // emptied: the socket's queue was read to its end just now, nothing to drop.
    bool Advance(Task& task, TConversationAction action, bool emptied = false) {
        task.action = action;
        switch (action.kind) {
            case EKind::SendAndWait:
                if (!emptied) Drain(task);
                task.socket.SendTo(task.address, task.port, action.datagram->data(),
                                   action.datagram->size());
                Arm(task, action.ms);
                return true;
            case EKind::Wait:
            case EKind::Pause:
                Arm(task, action.ms);
                return true;
            case EKind::Finished:
                Finish(task);
                return false;
        }
        return false;
    }

    void Arm(Task& task, int ms) {
        task.deadline = Clock::now() + std::chrono::milliseconds(ms);
        timers.push({task.deadline, task.id, ++task.generation});
    }

    // Datagrams that arrive while no reply is awaited would be dropped before the next request
    // anyway: every pause is followed by one.
    void Drain(Task& task) { task.socket.DiscardQueued(); }

    // Reads what is queued in one call (a reply, and whatever came with it). What is left when
    // the conversation sends its next request or pauses was waiting before that request and is
    // dropped; a batch that filled every slot may have left more in the queue.
    void Readable(Task& task) {
        while (task.action.kind == EKind::SendAndWait || task.action.kind == EKind::Wait) {
            const int got = task.socket.ReceiveQueued(slots, kBatch);
            if (got == 0) return;
            if (got < 0) {
                // A receive error counts as no reply, as a wait that ends without one.
                if (!Advance(task, task.machine.OnReply(nullptr))) return;
                continue;
            }
            const bool emptied = got < kBatch;
            for (int i = 0; i < got; ++i) {
                // A stray datagram (another host, or another port of the terminal's host)
                // neither answers nor extends the wait.
                if (slots[i].address != task.address || slots[i].port != task.port) continue;
                reply.assign(replies[i], replies[i] + std::min<std::size_t>(slots[i].size,
                                                                            task.action.maxBytes));
                if (!Advance(task, task.machine.OnReply(&reply), emptied)) return;
                // A new request went out on an emptied socket; a pause leaves nothing queued.
                if (task.action.kind == EKind::Pause && !emptied) Drain(task);
                if (task.action.kind != EKind::Wait) return;
            }
            if (emptied) return;
        }
        Drain(task);
    }

    void TimedOut(Task& task) {
        if (task.action.kind == EKind::Pause)
            Advance(task, task.machine.OnPauseOver());
        else
            Advance(task, task.machine.OnReply(nullptr));
    }

    void Finish(Task& task) {
        tasks.erase(task.id);
        poller.Remove(task.socket);
        task.version = task.machine.Result().version;
        const std::uint32_t address = task.address;
        const auto code = static_cast<std::uint32_t>(task.machine.Result().result);
        task.finished.store(true, std::memory_order_release);
        // The task belongs to its reaper from here on; the report is this loop's last word.
        engine.report_(address, EProgressKind::Finished, code);
    }

    TConversationEngine& engine;
    TSocketPoller poller;
    std::atomic<bool> stop{false};
    std::mutex mutex;
    std::vector<Task*> incoming;                     // handed over by Start
    std::unordered_map<std::uint64_t, Task*> tasks;  // this loop's running conversations
    std::priority_queue<Timer, std::vector<Timer>, std::greater<Timer>> timers;
    static constexpr int kBatch = 4;
    std::uint8_t replies[kBatch][kReceiveMax];  // datagrams land here
    TUdpSocket::Slot slots[kBatch] = {{replies[0], kReceiveMax},
                                      {replies[1], kReceiveMax},
                                      {replies[2], kReceiveMax},
                                      {replies[3], kReceiveMax}};
    TBytes reply;  // the one the conversation is told of
    std::thread thread;
};

TConversationEngine::TConversationEngine(TProtocolTimes times, ReportFn report, int threads)
    : times_(times), report_(std::move(report)) {
    threadCount_ = threads > 0 ? threads : UsableCoreCount();
}

TConversationEngine::~TConversationEngine() {
    // Never close a socket under a running conversation: each one ends within its waits.
    while (!Idle())
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    loops_.clear();
}

bool TConversationEngine::Idle() const {
    for (const auto& [address, task] : tasks_)
        if (!task->finished.load(std::memory_order_acquire)) return false;
    return true;
}

void TConversationEngine::EnsureLoops() {
    while (static_cast<int>(loops_.size()) < threadCount_)
        loops_.push_back(std::make_unique<Loop>(*this));
}

void TConversationEngine::Start(std::uint32_t address, std::shared_ptr<const TUpdateJob> job) {
    EnsureLoops();
    auto task = std::make_unique<Task>(nextId_++, address, std::move(job), times_, *this);
    Task* running = task.get();
    tasks_[address] = std::move(task);
    loops_[nextLoop_++ % loops_.size()]->Add(running);
}

std::string TConversationEngine::Reap(std::uint32_t address) {
    auto found = tasks_.find(address);
    if (found == tasks_.end()) return {};
    // Called after the Finished report, which is posted once the loop has let go of the task.
    while (!found->second->finished.load(std::memory_order_acquire))
        std::this_thread::yield();
    std::string version = std::move(found->second->version);
    tasks_.erase(found);
    return version;
}
