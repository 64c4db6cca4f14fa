#include "updater/checksum.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

constexpr std::array<std::uint16_t, 256> MakeCrcTable() {
    std::array<std::uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        std::uint16_t crc = static_cast<std::uint16_t>(i << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<std::uint16_t>((crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1);
        table[i] = crc;
    }
    return table;
}

constexpr std::array<std::uint16_t, 256> kCrcTable = MakeCrcTable();

}  // namespace

// Eight bytes per step: every block of both sides is summed, and a byte loop was most of the
// user time of a large batch. Only the sum modulo 65536 counts, so the order does not matter.
std::uint16_t AdditiveChecksum(const std::uint8_t* bytes, std::size_t count) {
    constexpr std::uint64_t kEvenBytes = 0x00FF00FF00FF00FFull;
    // Four 16-bit lanes gain at most 2 x 255 per word: 128 words before one could overflow.
    constexpr std::size_t kWordsPerFold = 128;
    std::uint64_t sum = 0;
    std::size_t i = 0;
    while (count - i >= 8) {
        const std::size_t words = std::min((count - i) / 8, kWordsPerFold);
        std::uint64_t lanes = 0;
        for (std::size_t w = 0; w < words; ++w, i += 8) {
            std::uint64_t word;
            std::memcpy(&word, bytes + i, 8);
            lanes += (word & kEvenBytes) + ((word >> 8) & kEvenBytes);
        }
        sum +=
            (lanes & 0xFFFF) + ((lanes >> 16) & 0xFFFF) + ((lanes >> 32) & 0xFFFF) + (lanes >> 48);
    }
    for (; i < count; ++i)
        sum += bytes[i];
    return static_cast<std::uint16_t>(sum);
}

std::uint16_t Crc16(const std::uint8_t* bytes, std::size_t count) {
    std::uint16_t crc = 0;
    for (std::size_t i = 0; i < count; ++i)
        crc = static_cast<std::uint16_t>((crc << 8) ^ kCrcTable[((crc >> 8) ^ bytes[i]) & 0xFF]);
    return crc;
}
