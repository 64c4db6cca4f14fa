// A plain UDP socket for tests that talk to simulated terminals byte by byte.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

#include "termsim/agent.h"

class UdpPeer {
  public:
    UdpPeer() {
        fd_ = socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in any{};
        any.sin_family = AF_INET;
        any.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(fd_, reinterpret_cast<sockaddr*>(&any), sizeof any);
    }
    ~UdpPeer() { close(fd_); }
    void Send(const termsim::Endpoint& to, const std::vector<std::uint8_t>& bytes) {
        sockaddr_in sa{};
        sa.sin_family = AF_INET;
        sa.sin_addr.s_addr = htonl(to.address);
        sa.sin_port = htons(to.port);
        sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
    }
    struct Datagram {
        termsim::Endpoint from;
        std::vector<std::uint8_t> bytes;
    };
    // The next datagram, or nothing within the time.
    std::optional<Datagram> Receive(std::chrono::milliseconds within) {
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(within.count())) <= 0) return std::nullopt;
        std::vector<std::uint8_t> buffer(65536);
        sockaddr_in from{};
        socklen_t len = sizeof from;
        const ssize_t n = recvfrom(fd_, buffer.data(), buffer.size(), MSG_DONTWAIT,
                                   reinterpret_cast<sockaddr*>(&from), &len);
        if (n < 0) return std::nullopt;
        buffer.resize(static_cast<std::size_t>(n));
        return Datagram{{ntohl(from.sin_addr.s_addr), ntohs(from.sin_port)}, buffer};
    }

  private:
    int fd_ = -1;
};
