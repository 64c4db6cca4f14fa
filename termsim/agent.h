// The plug-in point of the terminal simulator: services that a simulated terminal offers on a UDP
// port of its own address (device access, firmware update, host tables, ...).
//
// The fleet binds one socket per terminal and agent port on the terminal's loopback address, and
// hands every datagram that arrives there to that terminal's agent, on the fleet's single event
// loop thread. Agents never block and never create threads: a reply that must come later is sent
// with TerminalContext::SendAfter, work that must happen later with TerminalContext::After.
//
// Everything an agent receives (its TerminalContext, the terminal state) is only valid during the
// call; agents keep the context they are given at creation instead (it lives as long as the fleet).
// The fleet serialises all agent calls and the public Fleet calls with one lock, so agents read and
// change TerminalState freely but must not call the public Fleet methods themselves.
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace termsim {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kBlockSize = 1356;
using TBlock = std::array<std::uint8_t, kBlockSize>;
using TMac = std::array<std::uint8_t, 6>;

// An IPv4 address and UDP port, both in host byte order (127.0.1.1 is 0x7F000101).
struct Endpoint {
    std::uint32_t address = 0;
    std::uint16_t port = 0;
    bool operator==(const Endpoint&) const = default;
};

// Faults a test or the command line injects into one terminal. They act on every agent's port.
struct Faults {
    double lossRate = 0.0;  // each datagram, in or out, is dropped with this chance
    std::chrono::milliseconds extraDelay{};  // added before every reply
    std::chrono::milliseconds jitter{};      // up to this much more, drawn for each reply
    int busyLogins = 0;                      // the next n logins answer "busy" (-3)
    bool mute = false;                       // the terminal answers nothing at all
};

// What the fleet knows about one terminal. The parameter block is the single source of truth for
// the identity fields: MAC (offset 2), model (12), firmware (44), IP address (144), account (660),
// display name (796), run status (170). Agents that change the firmware write offset 44.
struct TerminalState {
    int index = 0;                  // position in the fleet, from 0
    std::uint32_t address = 0;      // the address its sockets are bound to (host order)
    TBlock block{};                 // its parameter block
    Clock::time_point silentUntil;  // drops every datagram before this time (restarting)
    Faults faults;
    // With a period above zero the run status (offset 170) steps through a few activities, one
    // step per period, from the fleet's start; it is brought up to date whenever it is asked.
    Clock::time_point started;
    std::chrono::milliseconds statusPeriod{0};

    TMac Mac() const;
    std::string Model() const;                     // text of the 32-byte model field
    std::string Firmware() const;                  // text of the 32-byte firmware field
    void SetFirmware(const std::string& version);  // zero-fills the field, then the text
    std::uint32_t BlockAddress() const;            // the IP address field, host order
};

// The services of the fleet that an agent may use while it handles a datagram or a timer.
class TerminalContext {
  public:
    virtual ~TerminalContext() = default;
    virtual TerminalState& State() = 0;

    // Sends from the agent's own socket (so the source is the terminal's address and the agent's
    // port), after the terminal's extra delay, subject to its loss rate.
    virtual void Send(const Endpoint& to, std::span<const std::uint8_t> bytes) = 0;
    // The same after a further delay.
    virtual void SendAfter(std::chrono::milliseconds delay, const Endpoint& to,
                           std::span<const std::uint8_t> bytes) = 0;
    // Runs fn on the loop thread after delay (under the fleet lock, like every agent call).
    virtual void After(std::chrono::milliseconds delay, std::function<void()> fn) = 0;

    // The terminal restarts: it drops every datagram for the fleet's restart time (or the given
    // time), and every agent's OnRestart is called at once.
    virtual void Restart(std::chrono::milliseconds downTime) = 0;
    virtual std::chrono::milliseconds RestartTime() const = 0;

    // Moves the terminal and all its agents' sockets to another address of 127.0.0.0/8. Returns
    // false, and keeps the old address, when the address is outside loopback or cannot be bound.
    // Replies already scheduled are sent from the new address.
    virtual bool MoveTo(std::uint32_t address) = 0;
};

class ITerminalAgent {
  public:
    virtual ~ITerminalAgent() = default;
    virtual std::uint16_t Port() const = 0;
    // One datagram that arrived on Port() of the terminal's address. Datagrams dropped by the
    // fault settings, or arriving while the terminal is silent, never reach the agent.
    virtual void OnDatagram(const Endpoint& from, std::span<const std::uint8_t> bytes) = 0;
    // The terminal restarted: forget sessions and transfers in progress.
    virtual void OnRestart() {}
};

// Creates one terminal's agent; the context outlives the agent.
using AgentFactory = std::function<std::unique_ptr<ITerminalAgent>(TerminalContext&)>;

}  // namespace termsim
