// A small IPv4 UDP socket (POSIX): one update conversation, one table download.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

class TUdpSocket {
  public:
    struct Datagram {
        std::vector<std::uint8_t> bytes;
        std::uint32_t address = 0;  // first octet in the most significant byte
        std::uint16_t port = 0;
    };

    TUdpSocket();  // an IPv4 UDP socket, not yet bound; Valid() is false if none could be made
    ~TUdpSocket();
    TUdpSocket(const TUdpSocket&) = delete;
    TUdpSocket& operator=(const TUdpSocket&) = delete;

    bool Valid() const { return fd_ >= 0; }
    // Binds to address:port; address 0 is the wildcard.
    bool Bind(std::uint32_t address, std::uint16_t port);
    // Binds to the first free port of [first, last] on the wildcard address; the port or 0.
    std::uint16_t BindFirstFree(std::uint16_t first, std::uint16_t last);
    std::uint16_t LocalPort() const;

    void SendTo(std::uint32_t address, std::uint16_t port, const std::uint8_t* data,
                std::size_t size);
    // Waits up to timeoutMs (0: only what is queued) for one datagram, truncated to maxBytes.
    std::optional<Datagram> Receive(int timeoutMs, std::size_t maxBytes);
    // One queued datagram without waiting, or nullopt.
    std::optional<Datagram> TryReceive(std::size_t maxBytes);

    int Fd() const { return fd_; }

  private:
    std::optional<Datagram> ReceiveWith(std::size_t maxBytes, int flags);

    int fd_ = -1;
    int receiveTimeoutMs_ = -1;         // the time-out last given to the socket
    std::vector<std::uint8_t> buffer_;  // receives land here first
};
