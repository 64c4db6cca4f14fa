// Dotted IPv4 texts read by the two standard rules, the same on every system.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

// inet_pton rules: exactly four decimal numbers of 0 to 255 without leading zeros, separated by
// dots, and nothing else. The address in host order (first number in the top byte).
std::optional<std::uint32_t> ParseIpv4Strict(std::string_view text);

// inet_addr rules: one to four numbers (decimal, octal with a leading 0, hexadecimal with 0x),
// the last filling the remaining bytes, optionally followed by white space and anything after
// it. A text that is no address gives 255.255.255.255, as inet_addr does.
std::array<std::uint8_t, 4> InetAddrOctets(std::string_view text);

// The same as a 32-bit value in network order (the first octet in the first byte in memory).
std::uint32_t InetAddrNetworkOrder(std::string_view text);
