#include "updater/udplink.h"

#include <chrono>
#include <thread>

void TUdpUpdateLink::Send(const TBytes& datagram) {
    socket_.SendTo(address_, port_, datagram.data(), datagram.size());
}

void TUdpUpdateLink::DiscardWaiting() {
    while (socket_.TryReceive(0)) {
    }
}

std::optional<TBytes> TUdpUpdateLink::Receive(int timeoutMs, std::size_t maxBytes) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        std::optional<TUdpSocket::Datagram> got =
            socket_.Receive(static_cast<int>(std::max<long>(0, left.count())), maxBytes);
        if (!got) return std::nullopt;
        // A stray datagram (another host, or another port of the terminal's host) neither
        // answers nor extends the wait.
        if (got->address == address_ && got->port == port_) return std::move(got->bytes);
        if (Clock::now() >= deadline) return std::nullopt;
    }
}

void TUdpUpdateLink::Pause(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}
