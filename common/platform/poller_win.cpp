// The poller on WSAPoll. The wake-up is a datagram that a loopback socket sends to itself.
#include <algorithm>
#include <mutex>

#include "common/platform/poller.h"
#include "common/platform/winsock.h"
#include "common/udpsocket.h"

namespace {
constexpr std::uint32_t kLoopback = 0x7F000001;  // 127.0.0.1
}

struct TSocketPoller::State {
    TUdpSocket wake;
    std::uint16_t wakePort = 0;
    std::mutex wakeMutex;  // Wake sends from any thread
    std::vector<WSAPOLLFD> fds;
    std::vector<std::uint64_t> tags;  // fds[i + 1] is tags[i]; fds[0] is the wake socket
};

TSocketPoller::TSocketPoller() : state_(std::make_unique<State>()) {
    if (state_->wake.Bind(kLoopback, 0)) state_->wakePort = state_->wake.LocalPort();
    state_->fds.push_back({static_cast<SOCKET>(state_->wake.Fd()), POLLRDNORM, 0});
}

TSocketPoller::~TSocketPoller() = default;

void TSocketPoller::Add(const TUdpSocket& socket, std::uint64_t tag) {
    if (!socket.Valid()) return;
    state_->fds.push_back({static_cast<SOCKET>(socket.Fd()), POLLRDNORM, 0});
    state_->tags.push_back(tag);
}

void TSocketPoller::Remove(const TUdpSocket& socket) {
    auto& fds = state_->fds;
    for (std::size_t i = 1; i < fds.size(); ++i) {
        if (fds[i].fd != static_cast<SOCKET>(socket.Fd())) continue;
        fds.erase(fds.begin() + static_cast<std::ptrdiff_t>(i));
        state_->tags.erase(state_->tags.begin() + static_cast<std::ptrdiff_t>(i - 1));
        return;
    }
}

bool TSocketPoller::Wait(int timeoutMs, std::vector<std::uint64_t>& ready) {
    ready.clear();
    auto& fds = state_->fds;
    for (WSAPOLLFD& p : fds)
        p.revents = 0;
    if (::WSAPoll(fds.data(), static_cast<ULONG>(fds.size()), timeoutMs < 0 ? -1 : timeoutMs) <= 0)
        return false;
    for (std::size_t i = 1; i < fds.size(); ++i)
        if (fds[i].revents != 0) ready.push_back(state_->tags[i - 1]);
    if (fds[0].revents == 0) return false;
    state_->wake.DiscardQueued();
    return true;
}

void TSocketPoller::Wake() {
    const std::uint8_t one = 1;
    std::lock_guard lock(state_->wakeMutex);
    state_->wake.SendTo(kLoopback, state_->wakePort, &one, 1);
}
