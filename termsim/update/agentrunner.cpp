#include "termsim/update/agentrunner.h"

#include <random>

#include "common/platform/poller.h"
#include "common/udpsocket.h"
#include "updater/threadpolicy.h"

namespace termsim {

struct TUpdateAgentRunner::Served {
    Served(std::uint32_t a, std::uint16_t p, TUpdateAgentConfig config, double loss,
           unsigned stream)
        : address(a), port(p), agent(std::move(config)), lossRate(loss), random(stream) {}

    std::uint32_t address;
    std::uint16_t port;
    TUpdateAgent agent;
    double lossRate;
    std::mt19937 random;
    TUdpSocket socket;
    std::unique_ptr<TUdpSocket> stray;  // strayReplies only
    std::chrono::steady_clock::time_point silentUntil;
    Timeline timeline;
    mutable std::mutex mutex;  // agent and timeline: the loop thread against the test's reads
};

struct TUpdateAgentRunner::EventLoop {
    TSocketPoller poller;
    std::thread thread;
};

namespace {
constexpr std::size_t kMaxDatagram = 4096;
}  // namespace

TUpdateAgentRunner::TUpdateAgentRunner(int threads) {
    for (int i = 0; i < std::max(1, threads); ++i)
        loops_.push_back(std::make_unique<EventLoop>());
}

TUpdateAgentRunner::~TUpdateAgentRunner() {
    Stop();
}

int TUpdateAgentRunner::Add(std::uint32_t address, std::uint16_t port, TUpdateAgentConfig config,
                            double lossRate) {
    served_.push_back(std::make_unique<Served>(address, port, std::move(config), lossRate,
                                               static_cast<unsigned>(served_.size() + 1)));
    return static_cast<int>(served_.size() - 1);
}

const TUpdateAgent& TUpdateAgentRunner::Agent(int index) const {
    return served_.at(static_cast<std::size_t>(index))->agent;
}

std::mutex& TUpdateAgentRunner::MutexOf(int index) const {
    return served_.at(static_cast<std::size_t>(index))->mutex;
}

TUpdateAgentRunner::Timeline TUpdateAgentRunner::TimelineOf(int index) const {
    std::lock_guard<std::mutex> lock(MutexOf(index));
    return served_.at(static_cast<std::size_t>(index))->timeline;
}

bool TUpdateAgentRunner::Start(std::string* error) {
    for (std::size_t i = 0; i < served_.size(); ++i) {
        Served& s = *served_[i];
        if ((s.address >> 24) != 127) {
            *error = "update agents live on 127.0.0.0/8 only";
            return false;
        }
        if (s.agent.Config().strayReplies) s.stray = std::make_unique<TUdpSocket>();
        if (!s.socket.Bind(s.address, s.port) || (s.stray && !s.stray->Bind(s.address, 0))) {
            *error = "cannot bind update agent " + std::to_string(i);
            return false;
        }
        loops_[i % loops_.size()]->poller.Add(s.socket, i);
    }
    stop_ = false;
    for (auto& loop : loops_) {
        EventLoop* l = loop.get();
        l->thread = std::thread([this, l] {
            MarkThroughputThread();
            std::vector<std::uint64_t> ready;
            while (!stop_) {
                l->poller.Wait(-1, ready);
                for (const std::uint64_t index : ready)
                    Serve(*served_[index]);
            }
        });
    }
    return true;
}

void TUpdateAgentRunner::Stop() {
    stop_ = true;
    for (auto& loop : loops_) {
        if (!loop->thread.joinable()) continue;
        loop->poller.Wake();
        loop->thread.join();
    }
}

// One datagram per readiness event: the loop is level-triggered, so a socket with more queued is
// reported again, and no receive is spent on finding the queue empty.
void TUpdateAgentRunner::Serve(Served& s) {
    if (std::optional<TUdpSocket::Datagram> in = s.socket.TryReceive(kMaxDatagram)) {
        const auto now = std::chrono::steady_clock::now();
        if (now < s.silentUntil) return;
        TAgentOutput out;
        {
            std::lock_guard<std::mutex> lock(s.mutex);
            if (s.timeline.firstDatagram == decltype(now){}) s.timeline.firstDatagram = now;
            out = s.agent.Handle(in->bytes);
            if (out.restart) {
                s.timeline.reset = now;
                s.silentUntil = now + *out.restart;
                s.agent.OnRestart();
            }
        }
        // The replies of one request leave in one call, so a repeated reply is already queued
        // when the first one is read.
        std::vector<TDatagram> replies;
        for (TDatagram& reply : out.replies) {
            if (s.lossRate > 0 && std::uniform_real_distribution<>(0, 1)(s.random) < s.lossRate)
                continue;
            if (s.stray) {
                const TDatagram zeros(reply.size(), 0);
                s.stray->SendTo(in->address, in->port, zeros.data(), zeros.size());
            }
            replies.push_back(std::move(reply));
        }
        s.socket.SendBatch(in->address, in->port, replies);
    }
}

}  // namespace termsim
