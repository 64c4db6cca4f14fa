// Waiting on many UDP sockets at once (epoll on Linux, WSAPoll on Windows), with a wake-up that
// another thread can give. Sockets are added, removed and waited for on one thread.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

class TUdpSocket;

class TSocketPoller {
  public:
    TSocketPoller();
    ~TSocketPoller();
    TSocketPoller(const TSocketPoller&) = delete;
    TSocketPoller& operator=(const TSocketPoller&) = delete;

    // The socket is reported by its tag while it has something to read.
    void Add(const TUdpSocket& socket, std::uint64_t tag);
    void Remove(const TUdpSocket& socket);
    // Waits up to timeoutMs (negative: without limit) until a socket has something to read or
    // Wake is called. Replaces ready with the tags of the readable sockets; yes when woken.
    bool Wait(int timeoutMs, std::vector<std::uint64_t>& ready);
    // Ends the current or the next Wait; any thread may call it.
    void Wake();

  private:
    struct State;
    std::unique_ptr<State> state_;
};
