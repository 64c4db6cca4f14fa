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

#include "common/socketaddress.h"
#include "termsim/agent.h"

class UdpPeer {
  public:
    UdpPeer() {
        fd_ = socket(AF_INET, SOCK_DGRAM, 0);
        const sockaddr_in any = Ipv4SocketAddress(INADDR_LOOPBACK, 0);
        bind(fd_, reinterpret_cast<const sockaddr*>(&any), sizeof any);
    }
    ~UdpPeer() { close(fd_); }
    void Send(const termsim::Endpoint& to, const std::vector<std::uint8_t>& bytes) {
        const sockaddr_in sa = Ipv4SocketAddress(to.address, to.port);
        sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&sa),
               sizeof sa);
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
