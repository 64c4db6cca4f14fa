#include "manager/access/addresstext.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "common/textcodec.h"
#include "common/textutil.h"

namespace {

// A group of an address text is a decimal integer when it is one or more digits and nothing
// else: no sign, no spaces. The value saturates just above 255 so absurd digit runs cannot
// overflow.
std::optional<unsigned> DecimalGroup(std::string_view group) {
    if (group.empty()) return std::nullopt;
    unsigned value = 0;
    for (char c : group) {
        if (c < '0' || c > '9') return std::nullopt;
        value = std::min(value * 10 + static_cast<unsigned>(c - '0'), 256u);
    }
    return value;
}

std::string WithoutSpaces(std::string_view text) {
    std::string s(text);
    std::erase(s, ' ');
    return s;
}

// The first four groups separated by "."; fewer than four when the text has fewer than three dots.
std::vector<std::string_view> FirstFourGroups(std::string_view text) {
    std::vector<std::string_view> groups;
    std::size_t start = 0;
    while (groups.size() < 4) {
        std::size_t dot = text.find('.', start);
        groups.push_back(text.substr(start, dot == std::string_view::npos ? dot : dot - start));
        if (dot == std::string_view::npos) break;
        start = dot + 1;
    }
    return groups;
}

// Rules shared by IsValidIP and IsValidIPLenient; lenient counts a group that is not an integer
// as 255, which passes.
bool CheckAddress(std::string_view text, bool lenient) {
    if (text.empty() || (!lenient && text == "0.0.0.0")) return false;
    if (text.size() < 7) return false;
    std::size_t firstDot = text.find('.');
    if (firstDot == std::string_view::npos || firstDot < 1) return false;
    std::string compact = WithoutSpaces(text);
    std::vector<std::string_view> groups = FirstFourGroups(compact);
    // A missing group is not a group: every check needs four of them.
    if (groups.size() < 4) return false;
    for (std::string_view g : groups) {
        std::optional<unsigned> value = DecimalGroup(g);
        if (!value) {
            if (!lenient) return false;
            continue;
        }
        if (*value > 255) return false;
    }
    return true;
}

// Reads `count` groups of up to three characters as the device book's MAC text is read: each
// character shifts into a three-digit window, a separator or the fourth character ends the
// group and is skipped. Characters that are not digits still shift in (their code minus '0').
template <std::size_t N>
std::array<std::uint8_t, N> ReadDigitGroups(std::string_view text, std::string_view separators) {
    std::array<std::uint8_t, N> out{};
    std::size_t pos = 0;
    for (std::size_t g = 0; g < N; ++g) {
        int d1 = 0, d2 = 0, d3 = 0;
        for (int read = 0; read < 3 && pos < text.size(); ++read, ++pos) {
            unsigned char c = static_cast<unsigned char>(text[pos]);
            if (separators.find(static_cast<char>(c)) != std::string_view::npos) break;
            d1 = d2;
            d2 = d3;
            d3 = static_cast<int>(c) - '0';
        }
        int value = (100 * d1 + 10 * d2 + d3) % 256;
        out[g] = static_cast<std::uint8_t>(value < 0 ? value + 256 : value);
        ++pos;  // the separator
    }
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

void StrToFixed(std::string_view text, std::uint8_t* field, std::size_t width) {
    if (width == 0) return;
    std::string bytes = ToDeviceBytesLimited(text, width - 1);
    std::memcpy(field, bytes.data(), bytes.size());
    field[bytes.size()] = 0;
}

std::string FixedToStr(const std::uint8_t* field, std::size_t width) {
    const char* chars = reinterpret_cast<const char*>(field);
    std::size_t length = std::find(chars, chars + width, '\0') - chars;
    std::string text = FromDeviceBytes(std::string_view(chars, length));
    // Characters of code 32 or less are ASCII in both the device code page and UTF-8.
    return std::string(TrimBlanks(text));
}

std::string IpToText(const std::uint8_t* field) {
    return BytesToDotted(field, 4);
}

std::string BytesToDotted(const std::uint8_t* bytes, std::size_t n) {
    std::string text;
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0) text += '.';
        text += std::to_string(bytes[i]);
    }
    return text;
}

std::string MacToText(const std::uint8_t* field) {
    return BytesToDotted(field, 6);
}

TMacBytes TextToMac(std::string_view text) {
    return ReadDigitGroups<6>(text, "./");
}

TIpBytes TextToIpField(std::string_view text) {
    if (!IsValidIP(text)) return {};
    // IsValidIP has checked that each of the first four groups is a number up to 255. They are
    // taken by value rather than three characters at a time, so that a group with leading zeros
    // such as 0010 gives 10 instead of shifting the following groups.
    std::string compact = WithoutSpaces(text);
    std::vector<std::string_view> groups = FirstFourGroups(compact);
    TIpBytes out{};
    for (std::size_t i = 0; i < out.size(); ++i) {
        out[i] = static_cast<std::uint8_t>(DecimalGroup(groups[i]).value_or(0));
    }
    return out;
}

bool IsValidIP(std::string_view text) {
    return CheckAddress(text, false);
}

bool IsValidIPLenient(std::string_view text) {
    return CheckAddress(text, true);
}

bool IsValidIPStrict(std::string_view text) {
    if (std::count(text.begin(), text.end(), '.') != 3) return false;
    std::vector<std::string_view> groups = FirstFourGroups(text);
    return std::all_of(groups.begin(), groups.end(), [](std::string_view g) {
        std::optional<unsigned> value = DecimalGroup(g);
        return value && *value <= 255;
    });
}

bool IsSipModel(const std::uint8_t* field) {
    std::string model = FixedToStr(field, 32);
    std::transform(model.begin(), model.end(), model.begin(), [](char c) {
        return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    });
    return model.find("SIP") != std::string::npos;
}

std::string HexToBytes(std::string_view text) {
    std::string bytes;
    for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
        int high = HexDigit(text[i]), low = HexDigit(text[i + 1]);
        if (high < 0 || low < 0) break;
        bytes += static_cast<char>(high * 16 + low);
    }
    return bytes;
}
