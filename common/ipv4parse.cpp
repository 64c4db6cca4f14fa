#include "common/ipv4parse.h"

#include <cstring>

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int HexValue(char c) {
    if (IsDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// One number as strtoul with base 0 reads it, from text[i]; false above 32 bits.
bool ReadNumber(std::string_view text, std::size_t& i, std::uint64_t& value) {
    int base = 10;
    if (text[i] == '0') {
        base = 8;
        if (i + 2 < text.size() && (text[i + 1] | 0x20) == 'x' && HexValue(text[i + 2]) >= 0) {
            base = 16;
            i += 2;
        }
    }
    value = 0;
    for (; i < text.size(); ++i) {
        const int digit = HexValue(text[i]);
        if (digit < 0 || digit >= base) break;
        value = value * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
        if (value > 0xFFFFFFFFu) return false;
    }
    return true;
}

}  // namespace

std::optional<std::uint32_t> ParseIpv4Strict(std::string_view text) {
    std::uint32_t address = 0;
    std::size_t i = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (i >= text.size() || text[i] != '.') return std::nullopt;
            ++i;
        }
        const std::size_t start = i;
        unsigned value = 0;
        while (i < text.size() && IsDigit(text[i]) && i - start < 4) {
            value = value * 10 + static_cast<unsigned>(text[i] - '0');
            ++i;
        }
        const std::size_t digits = i - start;
        if (digits == 0 || value > 255 || (digits > 1 && text[start] == '0')) return std::nullopt;
        address = (address << 8) | value;
    }
    if (i != text.size()) return std::nullopt;
    return address;
}

std::array<std::uint8_t, 4> InetAddrOctets(std::string_view text) {
    constexpr std::array<std::uint8_t, 4> kNone{255, 255, 255, 255};
    std::uint64_t parts[4] = {};
    int count = 0;
    std::size_t i = 0;
    for (;;) {
        if (i >= text.size() || !IsDigit(text[i])) return kNone;
        std::uint64_t value = 0;
        if (!ReadNumber(text, i, value)) return kNone;
        parts[count++] = value;
        if (i < text.size() && text[i] == '.') {
            if (count == 4 || value > 0xFF) return kNone;
            ++i;
            continue;
        }
        break;
    }
    if (i < text.size() && !IsSpace(text[i])) return kNone;
    // The last number fills the bytes the others leave.
    static constexpr std::uint64_t kLastMax[] = {0xFFFFFFFFu, 0xFFFFFFu, 0xFFFFu, 0xFFu};
    if (parts[count - 1] > kLastMax[count - 1]) return kNone;
    std::uint32_t value = static_cast<std::uint32_t>(parts[count - 1]);
    for (int k = 0; k < count - 1; ++k)
        value |= static_cast<std::uint32_t>(parts[k]) << (24 - 8 * k);
    return {static_cast<std::uint8_t>(value >> 24), static_cast<std::uint8_t>(value >> 16),
            static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)};
}

std::uint32_t InetAddrNetworkOrder(std::string_view text) {
    const std::array<std::uint8_t, 4> octets = InetAddrOctets(text);
    std::uint32_t address;
    std::memcpy(&address, octets.data(), 4);
    return address;
}
