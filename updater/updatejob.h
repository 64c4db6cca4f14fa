// The update job: what every worker of one Start sends. Built once per Start and shared
// read-only by all workers of that batch.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

inline constexpr std::size_t kHeaderSize = 1132;
inline constexpr std::size_t kImageOffset = 4096;
inline constexpr std::size_t kMaxImageSize = 1048576;  // the image may be exactly this long
inline constexpr std::size_t kPakSizeLimit = 1048576;  // pak data must be shorter than this
inline constexpr std::uint16_t kAgentPort = 65276;

struct TUpdateJob {
    std::array<std::uint8_t, kHeaderSize> header{};
    std::vector<std::uint8_t> image;  // at most kMaxImageSize bytes
    std::vector<std::uint8_t> pak;    // below kPakSizeLimit bytes; empty: no pak data
    std::string password;             // UTF-8; sent in the device code page
    std::uint16_t agentPort = kAgentPort;
};
