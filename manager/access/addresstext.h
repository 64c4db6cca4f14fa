// Text forms and checks of addresses and fixed-width text fields.
//
// Fixed-width fields hold device code page bytes (GBK by default); the text side is UTF-8.
// The MAC text is six decimal octets joined by "." (0.26.43.60.77.94), the identity of a terminal
// in the list, the device book, the device text and the updater hand-off.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using TMacBytes = std::array<std::uint8_t, 6>;
using TIpBytes = std::array<std::uint8_t, 4>;

// Stores text (UTF-8) as device bytes: at most width-1 bytes, never half a character, then a zero
// byte. Bytes after that zero are not touched. A width of 0 writes nothing.
void StrToFixed(std::string_view text, std::uint8_t* field, std::size_t width);

// The field's bytes up to the first zero byte (or width bytes), decoded to UTF-8, with leading and
// trailing characters of code 32 or less removed.
std::string FixedToStr(const std::uint8_t* field, std::size_t width);

std::string IpToText(const std::uint8_t* field);                      // 4 bytes, network order
std::string BytesToDotted(const std::uint8_t* bytes, std::size_t n);  // n decimal numbers
std::string MacToText(const std::uint8_t* field);                     // 6 bytes
TMacBytes TextToMac(std::string_view text);
TIpBytes TextToIpField(std::string_view text);  // 0.0.0.0 when IsValidIP refuses the text

// The three address checks differ on purpose; each caller uses the one its behaviour needs.
bool IsValidIP(std::string_view text);
bool IsValidIPStrict(std::string_view text);
bool IsValidIPLenient(std::string_view text);

// Yes when FixedToStr of the 32-byte model field, upper-cased, contains "SIP".
bool IsSipModel(const std::uint8_t* field);

// Hexadecimal pairs to bytes, stopping at the first pair that is not hexadecimal; a trailing
// single digit is ignored.
std::string HexToBytes(std::string_view text);
