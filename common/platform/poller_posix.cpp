// The poller on epoll, woken through an eventfd.
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include "common/platform/poller.h"
#include "common/udpsocket.h"

namespace {
constexpr std::uint64_t kWakeTag = ~std::uint64_t(0);
}

struct TSocketPoller::State {
    int epoll = ::epoll_create1(EPOLL_CLOEXEC);
    int wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
};

TSocketPoller::TSocketPoller() : state_(std::make_unique<State>()) {
    epoll_event ev{EPOLLIN, {.u64 = kWakeTag}};
    ::epoll_ctl(state_->epoll, EPOLL_CTL_ADD, state_->wake, &ev);
}

TSocketPoller::~TSocketPoller() {
    ::close(state_->epoll);
    ::close(state_->wake);
}

void TSocketPoller::Add(const TUdpSocket& socket, std::uint64_t tag) {
    if (!socket.Valid()) return;
    epoll_event ev{EPOLLIN, {.u64 = tag}};
    ::epoll_ctl(state_->epoll, EPOLL_CTL_ADD, socket.Fd(), &ev);
}

void TSocketPoller::Remove(const TUdpSocket& socket) {
    if (socket.Valid()) ::epoll_ctl(state_->epoll, EPOLL_CTL_DEL, socket.Fd(), nullptr);
}

bool TSocketPoller::Wait(int timeoutMs, std::vector<std::uint64_t>& ready) {
    ready.clear();
    epoll_event events[64];
    const int count = ::epoll_wait(state_->epoll, events, 64, timeoutMs < 0 ? -1 : timeoutMs);
    bool woken = false;
    for (int e = 0; e < count; ++e) {
        if (events[e].data.u64 != kWakeTag) {
            ready.push_back(events[e].data.u64);
            continue;
        }
        std::uint64_t wakes;
        (void)::read(state_->wake, &wakes, sizeof wakes);
        woken = true;
    }
    return woken;
}

void TSocketPoller::Wake() {
    const std::uint64_t one = 1;
    (void)::write(state_->wake, &one, sizeof one);
}
