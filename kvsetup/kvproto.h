// The device-access protocol between libkvsetup and the terminals (docs/kvsetup-protocol.md).
//
// One request datagram, one reply datagram, UDP port 6070 of the terminal. Every message starts
// with a 24-byte header; integers are little-endian.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace kvproto {

constexpr std::uint16_t kPort = 6070;
constexpr std::size_t kHeaderSize = 24;
constexpr std::size_t kRecordSize = 360;
constexpr std::size_t kBlockSize = 1356;
constexpr std::size_t kCredentialsSize = 32;  // user name 16, password 16
constexpr std::uint8_t kVersion = 1;
constexpr std::uint8_t kReplyBit = 0x80;

enum class Kind : std::uint8_t {
    kProbe = 1,   // request: empty; reply: the 360-byte search record
    kLogin = 2,   // request: credentials; reply: empty
    kLogout = 3,  // request: credentials; reply: empty
    kReset = 4,   // request: credentials; reply: empty
    kRead = 5,    // request: empty; reply: the 1356-byte block when the result is 1
    kWrite = 6,   // request: the 1356-byte block; reply: empty
};

// Results carried in replies and returned by the library.
namespace result {
constexpr std::int32_t kOk = 1;
constexpr std::int32_t kNoAnswer = 0;
constexpr std::int32_t kBadArgument = -1;
constexpr std::int32_t kBadLength = -2;
constexpr std::int32_t kBusy = -3;
constexpr std::int32_t kNotLoggedIn = -4;
constexpr std::int32_t kRefused = -5;
constexpr std::int32_t kCredentials = -6;
constexpr std::int32_t kSocketError = -7;
constexpr std::int32_t kNotPermitted = -8;
constexpr std::int32_t kBadTargets = -9;  // KVSETUP_TARGETS does not parse (named on stderr)
}  // namespace result

using Mac = std::array<std::uint8_t, 6>;

struct Header {
    std::uint8_t kind = 0;  // Kind, with kReplyBit in replies
    std::uint32_t requestId = 0;
    Mac mac{};                // request: the terminal addressed (zero: any); reply: the terminal's
    std::int32_t result = 0;  // replies only
};

// Header followed by the payload.
std::vector<std::uint8_t> Encode(const Header& header, std::span<const std::uint8_t> payload);

struct Message {
    Header header;
    std::span<const std::uint8_t> payload;  // points into the decoded bytes
};

// Checks magic, version and the payload length field against the datagram's length; anything
// else (wrong kind for the context, wrong payload size) is the reader's to check.
std::optional<Message> Decode(std::span<const std::uint8_t> bytes);

// The payload size a message of this kind must have; a read reply has the block only with result 1.
std::size_t RequestPayloadSize(Kind kind);
std::size_t ReplyPayloadSize(Kind kind, std::int32_t result);

bool IsZeroMac(const Mac& mac);

}  // namespace kvproto
