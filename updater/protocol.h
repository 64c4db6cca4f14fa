// The datagrams of the firmware update protocol (UDP port 65276 of the terminal) and the result
// codes of one conversation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

using TBytes = std::vector<std::uint8_t>;

inline constexpr std::size_t kLoginSize = 42;
inline constexpr std::size_t kLoginReplySize = 23;
inline constexpr std::size_t kPasswordField = 16;
inline constexpr std::size_t kImageBlockData = 1280;
inline constexpr std::size_t kImageBlockSize = kImageBlockData + 6;
inline constexpr std::size_t kPakBlockData = 1024;
inline constexpr std::size_t kPakBlockSize = kPakBlockData + 6;
inline constexpr std::size_t kBlockAckSize = 5;
inline constexpr std::size_t kAddressStep = 1024;  // per block, for image and pak alike

inline constexpr std::uint8_t kLoginCommand = 0x11;
inline constexpr std::uint8_t kLogoutCommand = 0x15;
inline constexpr std::uint8_t kQueryCommand = 0xFA;
inline constexpr std::uint8_t kImageCommand = 0xF8;
inline constexpr std::uint8_t kPakCommand = 0xF6;
inline constexpr std::uint8_t kResetCommand = 0xF7;

enum class EUpdateResult : std::uint8_t {
    Done = 0,
    WrongDevice = 1,
    Offline = 2,
    LoginFailed = 3,
    Damaged = 4,
    LostAfterReset = 5,
};
// The fixed text of a result code (0 to 5); empty for other values.
std::string ResultText(unsigned code);

// Requests. passwordBytes are the password in the device code page, at most 16 bytes.
TBytes LoginRequest(std::uint8_t sequence, std::string_view passwordBytes);
TBytes LogoutRequest();
TBytes QueryRequest();
TBytes ResetRequest();
// Block k of the data: address k x 1024, data bytes from k x blockData, zero-filled past the end.
TBytes ImageBlock(std::span<const std::uint8_t> image, std::size_t k);
TBytes PakBlock(std::span<const std::uint8_t> pak, std::size_t k);
// The same into packet, reusing its storage: a conversation sends hundreds of blocks.
void BuildImageBlock(TBytes& packet, std::span<const std::uint8_t> image, std::size_t k);
void BuildPakBlock(TBytes& packet, std::span<const std::uint8_t> pak, std::size_t k);

// Replies.
enum class ELoginReply { Other, Accepted, Refused, Abort };
// Accepted/Refused: the 23-byte echo with a right or wrong CRC; Abort: another datagram whose
// offset 7 is 0; Other: to be ignored.
ELoginReply ClassifyLoginReply(std::span<const std::uint8_t> reply, std::uint8_t sequence);

struct TQueryReply {
    std::string deviceType;  // device bytes up to the first zero (offset 1)
    std::string version;     // device bytes up to the first zero, at most 16 (offset 17)
};
// A reply of more than 8 bytes; nullopt otherwise.
std::optional<TQueryReply> ParseQueryReply(std::span<const std::uint8_t> reply);

enum class EBlockReply { Accepted, Rejected, Other };
EBlockReply ClassifyBlockReply(std::span<const std::uint8_t> reply);
