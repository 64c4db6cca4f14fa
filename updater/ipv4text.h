// IPv4 addresses as the updater's device list shows them and as workers carry them: the first
// octet in the most significant byte.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Valid when the text has at least 7 characters and, blanks removed, is four dot-separated
// decimal numbers none above 255. Leading zeros are allowed ("192.168.001.020").
std::optional<std::uint32_t> ParseIpText(std::string_view text);

// Four decimal numbers without leading zeros, joined by dots.
std::string IpTextOf(std::uint32_t address);
