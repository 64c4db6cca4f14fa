#include "termsim/update/agentrunner.h"

#include <fcntl.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <random>

#include "common/socketaddress.h"
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
    int epoll = -1;
    int wake[2] = {-1, -1};
    std::thread thread;

    ~EventLoop() {
        for (int fd : {epoll, wake[0], wake[1]})
            if (fd >= 0) ::close(fd);
    }
};

namespace {
constexpr std::size_t kMaxDatagram = 4096;
constexpr std::uint64_t kWakeTag = ~std::uint64_t{0};
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
    for (auto& loop : loops_) {
        loop->epoll = ::epoll_create1(EPOLL_CLOEXEC);
        if (loop->epoll < 0 || ::pipe2(loop->wake, O_CLOEXEC | O_NONBLOCK) != 0) {
            *error = "cannot create the event loop";
            return false;
        }
        epoll_event wake{EPOLLIN, {.u64 = kWakeTag}};
        ::epoll_ctl(loop->epoll, EPOLL_CTL_ADD, loop->wake[0], &wake);
    }
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
        epoll_event ev{EPOLLIN, {.u64 = i}};
        ::epoll_ctl(loops_[i % loops_.size()]->epoll, EPOLL_CTL_ADD, s.socket.Fd(), &ev);
    }
    stop_ = false;
    for (auto& loop : loops_) {
        EventLoop* l = loop.get();
        l->thread = std::thread([this, l] {
            MarkThroughputThread();
            epoll_event events[64];
            while (!stop_) {
                int ready = ::epoll_wait(l->epoll, events, 64, -1);
                for (int e = 0; e < ready; ++e)
                    if (events[e].data.u64 != kWakeTag) Serve(*served_[events[e].data.u64]);
            }
        });
    }
    return true;
}

void TUpdateAgentRunner::Stop() {
    stop_ = true;
    for (auto& loop : loops_) {
        if (!loop->thread.joinable()) continue;
        char byte = 1;
        (void)::write(loop->wake[1], &byte, 1);
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
        sockaddr_in to = Ipv4SocketAddress(in->address, in->port);
        std::vector<iovec> parts;
        std::vector<mmsghdr> messages;
        parts.reserve(out.replies.size());
        for (TDatagram& reply : out.replies) {
            if (s.lossRate > 0 && std::uniform_real_distribution<>(0, 1)(s.random) < s.lossRate)
                continue;
            if (s.stray) {
                const TDatagram zeros(reply.size(), 0);
                s.stray->SendTo(in->address, in->port, zeros.data(), zeros.size());
            }
            parts.push_back({reply.data(), reply.size()});
            mmsghdr message{};
            message.msg_hdr.msg_name = &to;
            message.msg_hdr.msg_namelen = sizeof to;
            message.msg_hdr.msg_iov = &parts.back();
            message.msg_hdr.msg_iovlen = 1;
            messages.push_back(message);
        }
        if (!messages.empty())
            (void)::sendmmsg(s.socket.Fd(), messages.data(), static_cast<unsigned>(messages.size()),
                             0);
    }
}

}  // namespace termsim
