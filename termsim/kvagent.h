// The device-access service of a simulated terminal: the kvsetup protocol on UDP 6070.
#pragma once

#include <map>

#include "termsim/agent.h"
#include "termsim/fleet.h"

namespace termsim {

class KvAgent : public ITerminalAgent {
  public:
    KvAgent(TerminalContext& context, TerminalStats& stats) : ctx_(context), stats_(stats) {}
    std::uint16_t Port() const override;
    void OnDatagram(const Endpoint& from, std::span<const std::uint8_t> bytes) override;
    void OnRestart() override { sessions_.clear(); }

  private:
    bool HasSession(std::uint32_t host);
    std::int32_t Login(std::uint32_t host, std::span<const std::uint8_t> credentials);
    std::int32_t Write(std::uint32_t host, std::span<const std::uint8_t> block);

    TerminalContext& ctx_;
    TerminalStats& stats_;
    // Sessions by the client's host address, with the time of their last use. A session that is
    // idle for kSessionIdle ends by itself: the manager does not log out of every terminal.
    std::map<std::uint32_t, Clock::time_point> sessions_;
};

// The search record a terminal reports, built from its state. interfaceAddress is the host
// address the probe came from (host order).
std::array<std::uint8_t, 360> BuildRecord(const TerminalState& state,
                                          std::uint32_t interfaceAddress);

}  // namespace termsim
