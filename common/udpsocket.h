// A small IPv4 UDP socket: one update conversation, one table download, one library call.
// The operating system's side lives in common/platform/ (POSIX sockets or Winsock 2).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "common/platform/sockethandle.h"

class TUdpSocket {
  public:
    struct Datagram {
        std::vector<std::uint8_t> bytes;
        std::uint32_t address = 0;  // first octet in the most significant byte
        std::uint16_t port = 0;
    };
    // One place for a datagram of ReceiveQueued.
    struct Slot {
        std::uint8_t* data = nullptr;
        std::size_t capacity = 0;
        std::size_t size = 0;  // what arrived, cut to capacity
        std::uint32_t address = 0;
        std::uint16_t port = 0;
    };

    TUdpSocket();  // an IPv4 UDP socket, not yet bound; Valid() is false if none could be made
    ~TUdpSocket();
    TUdpSocket(const TUdpSocket&) = delete;
    TUdpSocket& operator=(const TUdpSocket&) = delete;

    bool Valid() const { return fd_ != kNoSocket; }
    // Binds to address:port; address 0 is the wildcard.
    bool Bind(std::uint32_t address, std::uint16_t port);
    // Binds to the first free port of [first, last] on the wildcard address; the port or 0.
    std::uint16_t BindFirstFree(std::uint16_t first, std::uint16_t last);
    std::uint16_t LocalPort() const;
    // Asks for a receive buffer of this many bytes (a burst of answers arriving at once).
    void SetReceiveBuffer(int bytes);
    // Asks the system to report destinations that refused a datagram (port unreachable); false
    // where the system cannot tell which destination it was.
    bool ReportUnreachable();

    // Sends one datagram; yes when it went out whole. A report of an earlier refusal that
    // stands in the way is taken and the datagram sent again.
    bool SendTo(std::uint32_t address, std::uint16_t port, const std::uint8_t* data,
                std::size_t size);
    // Sends the datagrams in order, in one system call where the system has one.
    void SendBatch(std::uint32_t address, std::uint16_t port,
                   const std::vector<std::vector<std::uint8_t>>& datagrams);
    // Waits up to timeoutMs (0: only what is queued) for one datagram, truncated to maxBytes.
    std::optional<Datagram> Receive(int timeoutMs, std::size_t maxBytes);
    // One queued datagram without waiting, or nullopt.
    std::optional<Datagram> TryReceive(std::size_t maxBytes);
    // Waits up to timeoutMs for a datagram or a refusal report; yes when one is there.
    bool WaitReadable(int timeoutMs);
    // Reads up to count queued datagrams without waiting: the number read, 0 when none was
    // queued, -1 after a receive error.
    int ReceiveQueued(Slot* slots, int count);
    // Drops every queued datagram.
    void DiscardQueued();
    // Appends the destinations reported unreachable since the last call (ReportUnreachable).
    void TakeUnreachable(std::vector<std::uint32_t>& addresses);

    TSocketHandle Fd() const { return fd_; }

  private:
    TSocketHandle fd_ = kNoSocket;
    int receiveTimeoutMs_ = -1;         // the time-out last given to the socket
    std::vector<std::uint8_t> buffer_;  // receives land here first
};
