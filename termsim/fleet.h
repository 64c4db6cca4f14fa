// A fleet of simulated terminals on loopback addresses, served by one event loop thread.
//
// Every terminal gets the built-in device-access agent (kvsetup protocol) plus one agent from each
// extra factory in FleetOptions::agents, each on its own UDP port of the terminal's address.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "termsim/agent.h"

namespace termsim {

struct FleetOptions {
    int count = 6;
    std::uint32_t firstAddress = 0x7F000101;  // 127.0.1.1; terminal i gets firstAddress + i
    // Cycled over the fleet; empty: one model of each family in turn.
    std::vector<std::string> models;
    // Cycled over the fleet; empty: "V2.6.0" for every terminal.
    std::vector<std::string> firmwares;
    // Every k-th terminal (k-1, 2k-1, ...) gets oldFirmware instead; 0: none.
    int oldFirmwareEvery = 0;
    std::string oldFirmware = "V2.4.1";
    // Maintenance login of every terminal (block offsets 80 and 96); empty: no credentials needed.
    std::string loginUser;
    std::string loginPassword;
    std::string namePrefix = "Terminal ";  // display name: prefix + number from 1 (UTF-8)
    std::uint32_t firstAccount = 8001;
    std::uint32_t macBase = 0x000001;  // MAC 02:4B:56 followed by 24 bits of macBase + i
    std::chrono::milliseconds restartTime{1500};
    // How long each run status lasts before the next activity; 0: registered and idle throughout.
    std::chrono::milliseconds statusPeriod{0};
    Faults faults;                     // applied to every terminal at start
    std::vector<AgentFactory> agents;  // extra agents per terminal
    // Each terminal is muted at start with this chance.
    double muteShare = 0.0;
    // Seeds the draws of losses, delays and mutes: the same seed repeats a run's patterns.
    std::uint32_t seed = 1;
};

// Counters of what one terminal received on its device-access port.
struct TerminalStats {
    std::uint64_t datagrams = 0;  // every datagram that reached the terminal
    std::uint64_t ignored = 0;    // malformed, not for this terminal, or of an unknown kind
    std::uint64_t probes = 0, logins = 0, logouts = 0, resets = 0, reads = 0, writes = 0;
};

// The six model names cycled by default, one per family.
const std::vector<std::string>& DefaultModels();

// The block a terminal starts with: the built-in defaults of every field and its identity.
TBlock MakeInitialBlock(const std::string& model, const std::string& firmware, const TMac& mac,
                        std::uint32_t address, std::uint32_t account,
                        const std::string& displayNameUtf8, const std::string& loginUser,
                        const std::string& loginPassword);

// The byte every reserved range of a new terminal's block holds at that offset (never zero).
std::uint8_t ReservedByte(std::size_t offset);

// The run status of terminal index after sinceStart, stepping once per period.
std::uint8_t RunStatusAt(Clock::duration sinceStart, std::chrono::milliseconds period, int index);

class Fleet {
  public:
    explicit Fleet(FleetOptions options);
    ~Fleet();  // stops the loop and closes every socket
    Fleet(const Fleet&) = delete;
    Fleet& operator=(const Fleet&) = delete;

    // Binds every socket and starts the loop thread. On failure returns false with a message and
    // leaves nothing running.
    bool Start(std::string* error);
    void Stop();

    int Count() const;
    TerminalState State(int index) const;  // a copy
    TerminalStats Stats(int index) const;
    void SetFaults(int index, const Faults& faults);
    // Replaces the block as a terminal would after a local change (tests).
    void SetBlock(int index, const TBlock& block);
    // Extends or ends the silence of a terminal (tests of restarts).
    void SetSilentUntil(int index, Clock::time_point until);

    struct Impl;

  private:
    std::unique_ptr<Impl> impl_;
};

// The address range text "first-last" of a fleet as KVSETUP_TARGETS understands it.
std::string TargetsText(std::uint32_t firstAddress, int count);
std::string AddressText(std::uint32_t address);  // dotted, host order input

}  // namespace termsim
