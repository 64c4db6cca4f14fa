// The conversation's link over a real UDP socket: requests go to the terminal's address and
// agent port; only datagrams from that address and port count as its replies.
#pragma once

#include "common/udpsocket.h"
#include "updater/conversation.h"

inline constexpr std::uint16_t kFirstLocalPort = 9100;
inline constexpr std::uint16_t kLastLocalPort = 9999;

class TUdpUpdateLink : public IUpdateLink {
  public:
    TUdpUpdateLink(TUdpSocket& socket, std::uint32_t address, std::uint16_t agentPort)
        : socket_(socket), address_(address), port_(agentPort) {}

    void Send(const TBytes& datagram) override;
    void DiscardWaiting() override;
    std::optional<TBytes> Receive(int timeoutMs, std::size_t maxBytes) override;
    void Pause(int ms) override;

  private:
    TUdpSocket& socket_;
    std::uint32_t address_;
    std::uint16_t port_;
};
