// The addresses a search probes, from the environment variable KVSETUP_TARGETS.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kvsetup {

constexpr std::size_t kMaxTargets = 65536;
// Probed when KVSETUP_TARGETS is unset: where termsim puts its terminals by default.
constexpr std::uint32_t kDefaultFirst = 0x7F000101;  // 127.0.1.1
constexpr std::uint32_t kDefaultLast = 0x7F0004FF;   // 127.0.4.255, 1,023 addresses

// Comma-separated items, each an IPv4 address or a range "first-last" (blanks around items and
// dashes allowed). Invalid items, reversed ranges, 0.0.0.0, 255.255.255.255 and multicast
// addresses are skipped; duplicates are dropped; at most kMaxTargets addresses are kept, in the
// order given. Addresses are in host byte order. When error is not null it names the first item
// that is neither an address nor a range (empty when every item parses).
std::vector<std::uint32_t> ParseTargets(std::string_view text, std::string* error = nullptr);

// KVSETUP_TARGETS parsed, or the default range when the variable is unset; error as ParseTargets,
// naming the variable.
std::vector<std::uint32_t> CurrentTargets(std::string* error = nullptr);

// Strict dotted IPv4 (four decimal numbers 0 to 255) with blanks around it allowed.
bool ParseDotted(std::string_view text, std::uint32_t* address);

// The library sends only to loopback addresses and to those KVSETUP_TARGETS names.
bool IsPermitted(std::uint32_t address, const std::vector<std::uint32_t>& targets);

}  // namespace kvsetup
