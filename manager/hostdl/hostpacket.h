// The host table protocol of family-520 terminals (UDP port 6006): request and reply datagrams.
//
// Every request is a 72-byte header, a write request adds a start index, an entry count and up to
// 16 table entries; every reply is 76 bytes. Integers are little-endian. The checksum at offset 6
// makes the 8-bit sum of the whole datagram zero.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

inline constexpr std::uint16_t kHostPort = 6006;
inline constexpr std::size_t kHostHeaderSize = 72;
inline constexpr std::size_t kHostWriteHeaderSize = 76;
inline constexpr std::size_t kHostReplySize = 76;
inline constexpr std::size_t kHostMaxRequestSize = 1100;
inline constexpr std::size_t kHostMaxBatch = 16;

// Field offsets of the header, the write request and the reply.
namespace hostfield {
inline constexpr std::size_t kMagic = 0;        // 0xAA
inline constexpr std::size_t kVersion = 1;      // 1
inline constexpr std::size_t kLength = 2;       // 16-bit: the datagram's length
inline constexpr std::size_t kOption = 4;       // 16-bit: 0x4000
inline constexpr std::size_t kChecksum = 6;     //
inline constexpr std::size_t kSenderNo = 8;     // 32-bit: 1
inline constexpr std::size_t kSenderName = 12;  // 16-byte text "HOST"
inline constexpr std::size_t kCode = 60;        // four characters, first character first
inline constexpr std::size_t kSenderCode = 64;  // "HOST"
inline constexpr std::size_t kStartIndex = 72;  // write requests: 16-bit
inline constexpr std::size_t kEntryCount = 74;  // write requests: 16-bit
inline constexpr std::size_t kEntries = 76;     // write requests: the entries
inline constexpr std::size_t kResult = 72;      // replies: 32-bit, non-zero = carried out
}  // namespace hostfield

inline constexpr std::uint8_t kHostMagic = 0xAA;
inline constexpr std::uint8_t kHostVersion = 1;
inline constexpr std::uint16_t kHostOption = 0x4000;

enum class EHostTable { Device, Zone, Group, GroupDevice, ZoneDevice };

// The codes and entry size of one table. The zone-device table has no erase code.
struct THostTableCodes {
    EHostTable table;
    std::string_view writeCode;
    std::string_view eraseCode;
    std::size_t entrySize;
};
const THostTableCodes& TableCodes(EHostTable table);
std::span<const THostTableCodes> AllTableCodes();

using THostEntry = std::vector<std::uint8_t>;

// Build the request into buffer (zeroed first) and return its length; 0 when nothing was built:
// an unknown code (compared exactly after trimming blanks), a buffer too small, more than 16 or
// no entries, or an entry whose size is not the table's.
std::size_t BuildEraseRequest(std::string_view code, std::span<std::uint8_t> buffer);
std::size_t BuildWriteRequest(std::string_view code, std::uint16_t startIndex,
                              std::span<const THostEntry> entries, std::span<std::uint8_t> buffer);

// The checksum byte of the datagram: the two's complement of the 8-bit sum of every byte but
// offset 6.
std::uint8_t HostChecksum(std::span<const std::uint8_t> datagram);

enum class EHostReply {
    Invalid,  // fails a check: to be ignored
    Refused,  // valid, result 0: counts as no answer
    Done,     // valid, result non-zero
};
// A reply is valid when it is exactly 76 bytes with magic, version, a length field equal to the
// bytes received and a correct checksum. Longer datagrams are never valid.
EHostReply ClassifyHostReply(std::span<const std::uint8_t> received);
// Yes for a valid reply that reports success.
bool IsValidHostReply(std::span<const std::uint8_t> received);

// The terminal's side: a request that passed every check of the header and of its size.
struct THostRequest {
    const THostTableCodes* table = nullptr;
    bool write = false;
    std::uint16_t startIndex = 0;           // write requests
    std::uint16_t count = 0;                // write requests, 1 to 16
    std::span<const std::uint8_t> entries;  // count x the table's entry size, into the datagram
};
// Checks magic, version, length, checksum, a known code and, for writes, the entry count and the
// length it implies; nullopt for anything else.
std::optional<THostRequest> ParseHostRequest(std::span<const std::uint8_t> datagram);
// The 76-byte reply to a request: its header (magic, version, length 76 set) and the result.
std::array<std::uint8_t, kHostReplySize> BuildHostReply(std::span<const std::uint8_t> request,
                                                        std::uint32_t result);
