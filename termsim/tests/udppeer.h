// A plain UDP socket for tests that talk to simulated terminals byte by byte.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

#include "common/udpsocket.h"
#include "termsim/agent.h"

class UdpPeer {
  public:
    UdpPeer() { socket_.Bind(0x7F000001, 0); }  // 127.0.0.1
    void Send(const termsim::Endpoint& to, const std::vector<std::uint8_t>& bytes) {
        socket_.SendTo(to.address, to.port, bytes.data(), bytes.size());
    }
    struct Datagram {
        termsim::Endpoint from;
        std::vector<std::uint8_t> bytes;
    };
    // The next datagram, or nothing within the time.
    std::optional<Datagram> Receive(std::chrono::milliseconds within) {
        auto got = socket_.Receive(static_cast<int>(within.count()), 65536);
        if (!got) return std::nullopt;
        return Datagram{{got->address, got->port}, std::move(got->bytes)};
    }

  private:
    TUdpSocket socket_;
};
