#include "termsim/update/agentrunner.h"

#include <fcntl.h>
#include <sys/epoll.h>
#include <unistd.h>

#include <chrono>
#include <random>

#include "updater/udpsocket.h"

namespace termsim {

struct TUpdateAgentRunner::Served {
    Served(std::uint32_t a, std::uint16_t p, TUpdateAgentConfig config, double loss, unsigned seed)
        : address(a), port(p), agent(std::move(config)), lossRate(loss), random(seed) {}

    std::uint32_t address;
    std::uint16_t port;
    TUpdateAgent agent;
    double lossRate;
    std::mt19937 random;
    TUdpSocket socket;
    std::chrono::steady_clock::time_point silentUntil;
    Timeline timeline;
};

namespace {
constexpr std::size_t kMaxDatagram = 4096;
constexpr std::uint64_t kWakeTag = ~std::uint64_t{0};
}  // namespace

TUpdateAgentRunner::TUpdateAgentRunner() = default;

TUpdateAgentRunner::~TUpdateAgentRunner() {
    Stop();
    for (int fd : {epoll_, wake_[0], wake_[1]})
        if (fd >= 0) ::close(fd);
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

TUpdateAgentRunner::Timeline TUpdateAgentRunner::TimelineOf(int index) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return served_.at(static_cast<std::size_t>(index))->timeline;
}

bool TUpdateAgentRunner::Start(std::string* error) {
    epoll_ = ::epoll_create1(EPOLL_CLOEXEC);
    if (epoll_ < 0 || ::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) {
        *error = "cannot create the event loop";
        return false;
    }
    epoll_event wake{EPOLLIN, {.u64 = kWakeTag}};
    ::epoll_ctl(epoll_, EPOLL_CTL_ADD, wake_[0], &wake);
    for (std::size_t i = 0; i < served_.size(); ++i) {
        Served& s = *served_[i];
        if ((s.address >> 24) != 127) {
            *error = "update agents live on 127.0.0.0/8 only";
            return false;
        }
        if (!s.socket.Bind(s.address, s.port)) {
            *error = "cannot bind update agent " + std::to_string(i);
            return false;
        }
        epoll_event ev{EPOLLIN, {.u64 = i}};
        ::epoll_ctl(epoll_, EPOLL_CTL_ADD, s.socket.Fd(), &ev);
    }
    stop_ = false;
    thread_ = std::thread([this] { Loop(); });
    return true;
}

void TUpdateAgentRunner::Stop() {
    if (!thread_.joinable()) return;
    stop_ = true;
    char byte = 1;
    (void)::write(wake_[1], &byte, 1);
    thread_.join();
}

void TUpdateAgentRunner::Loop() {
    epoll_event events[64];
    while (!stop_) {
        int ready = ::epoll_wait(epoll_, events, 64, -1);
        for (int e = 0; e < ready; ++e) {
            if (events[e].data.u64 == kWakeTag) continue;
            Served& s = *served_[events[e].data.u64];
            while (std::optional<TUdpSocket::Datagram> in = s.socket.TryReceive(kMaxDatagram)) {
                const auto now = std::chrono::steady_clock::now();
                if (now < s.silentUntil) continue;
                TAgentOutput out;
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    if (s.timeline.firstDatagram == decltype(now){}) s.timeline.firstDatagram = now;
                    out = s.agent.Handle(in->bytes);
                    if (out.restart) {
                        s.timeline.reset = now;
                        s.silentUntil = now + *out.restart;
                        s.agent.OnRestart();
                    }
                }
                for (const TDatagram& reply : out.replies) {
                    if (s.lossRate > 0 &&
                        std::uniform_real_distribution<>(0, 1)(s.random) < s.lossRate)
                        continue;
                    s.socket.SendTo(in->address, in->port, reply.data(), reply.size());
                }
            }
        }
    }
}

}  // namespace termsim
