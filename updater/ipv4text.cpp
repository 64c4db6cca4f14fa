#include "updater/ipv4text.h"

std::optional<std::uint32_t> ParseIpText(std::string_view text) {
    if (text.size() < 7) return std::nullopt;
    std::uint32_t address = 0;
    int parts = 0;
    int digits = 0;
    std::uint32_t part = 0;
    auto endPart = [&]() {
        if (digits == 0 || part > 255) return false;
        address = (address << 8) | part;
        ++parts;
        digits = 0;
        part = 0;
        return true;
    };
    for (char c : text) {
        if (c == ' ') continue;
        if (c >= '0' && c <= '9') {
            // Many leading zeros must not overflow the part; anything above 255 is refused anyway.
            if (part <= 255) part = part * 10 + static_cast<std::uint32_t>(c - '0');
            ++digits;
        } else if (c == '.') {
            if (parts == 3 || !endPart()) return std::nullopt;
        } else {
            return std::nullopt;
        }
    }
    if (parts != 3 || !endPart()) return std::nullopt;
    return address;
}

std::string IpTextOf(std::uint32_t address) {
    return std::to_string(address >> 24) + '.' + std::to_string((address >> 16) & 0xFF) + '.' +
           std::to_string((address >> 8) & 0xFF) + '.' + std::to_string(address & 0xFF);
}
