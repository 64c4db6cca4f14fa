// The terminal side of the firmware update protocol (UDP port 65276) for one simulated
// terminal, as a socket-free state machine: a datagram in, datagrams out.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace termsim {

using TDatagram = std::vector<std::uint8_t>;

struct TUpdateAgentConfig {
    std::string password;    // login password (UTF-8, sent in the device code page); "" = none
    std::string deviceType;  // reported by the query (at most 15 bytes are sent)
    std::string version;     // firmware reported before the update
    // Firmware reported after the reset. Empty: the version field of the update header that the
    // received image starts with, if it starts with one ("B32"); otherwise unchanged.
    std::string updatedVersion;
    std::chrono::milliseconds restartTime{3000};  // silent after a reset
    bool keepData = false;                        // keep the received image and pak bytes (tests)

    // Faults.
    int rejectBlocks = 0;           // the first n image or pak blocks are refused (status 1)
    int dropBlockAcks = 0;          // the acknowledgements of the first n blocks are lost
    bool muteQuery = false;         // the query before the reset gets no answer
    bool noReturn = false;          // after a reset the terminal never answers again
    int refuseLogins = 0;           // the first n logins are refused whatever the password
    bool duplicateReplies = false;  // the network delivers every reply twice
    // Standalone runner only: a zero-filled copy of each reply comes first, from another port
    // of the terminal's address (a local process that is not the update agent).
    bool strayReplies = false;
    // Image block address field -> how many acknowledgements of that block are lost.
    std::map<std::uint16_t, int> dropImageAcks;
};

struct TUpdateAgentStats {
    int logins = 0;         // accepted logins
    int refusedLogins = 0;  // wrong password
    int logouts = 0;
    int queries = 0;
    int resets = 0;
    int rejected = 0;                           // blocks refused (fault or bad checksum)
    int ignored = 0;                            // datagrams of no known kind
    std::vector<std::uint16_t> imageAddresses;  // address field of each accepted image block
    std::vector<std::uint16_t> pakAddresses;    // the same for pak blocks
    std::string lastPassword;  // the 16 password bytes of the last login, zeros included
};

struct TAgentOutput {
    std::vector<TDatagram> replies;
    // Set when the terminal resets: it is silent for this long (nullopt: it stays up).
    std::optional<std::chrono::milliseconds> restart;
};

class TUpdateAgent {
  public:
    static constexpr std::uint16_t kPort = 65276;
    // A restart that never ends, for a terminal that does not come back.
    static constexpr std::chrono::milliseconds kForever{std::chrono::hours(24 * 365)};

    explicit TUpdateAgent(TUpdateAgentConfig config);

    TAgentOutput Handle(std::span<const std::uint8_t> datagram);
    // The terminal restarted: the session ends.
    void OnRestart() { loggedIn_ = false; }

    const std::string& Version() const { return version_; }
    const TUpdateAgentConfig& Config() const { return config_; }
    const TUpdateAgentStats& Stats() const { return stats_; }
    // Received data, reassembled by block address (keepData only), zero padding included.
    const std::vector<std::uint8_t>& Image() const { return image_; }
    const std::vector<std::uint8_t>& Pak() const { return pak_; }

  private:
    TAgentOutput Answer(std::span<const std::uint8_t> datagram);
    TDatagram LoginReply(std::span<const std::uint8_t> request, std::uint8_t command, bool ok);
    TDatagram QueryReply() const;
    std::optional<TDatagram> BlockAck(std::span<const std::uint8_t> request, bool image);

    TUpdateAgentConfig config_;
    std::string version_;
    std::string passwordField_;  // 16 bytes
    std::string pendingVersion_;
    bool loggedIn_ = false;
    bool reset_ = false;
    int blocks_ = 0;  // block datagrams received, for the fault counts
    TUpdateAgentStats stats_;
    std::vector<std::uint8_t> image_, pak_;
};

}  // namespace termsim
