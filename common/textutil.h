// Small text helpers shared by every module.
#pragma once

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <string>
#include <string_view>

// Blanks and control characters: every character of code 32 or less. The system trims these
// from both ends of fields, paths, device texts and list cells.
constexpr bool IsBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

// The text without blanks and control characters at either end.
constexpr std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlankOrControl(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlankOrControl(text.back()))
        text.remove_suffix(1);
    return text;
}

// Takes the first line off bytes and returns it without its line end. CR LF, LF and a lone CR
// each end a line, so files written on any system read alike; *endSize gets the length of the
// line end taken (0 for a last line without one).
constexpr std::string_view TakeLine(std::string_view& bytes, std::size_t* endSize = nullptr) {
    const std::size_t end = std::min(bytes.find_first_of("\r\n"), bytes.size());
    std::size_t next = end;
    if (end < bytes.size()) next += bytes.compare(end, 2, "\r\n") == 0 ? 2 : 1;
    const std::string_view line = bytes.substr(0, end);
    if (endSize) *endSize = next - end;
    bytes.remove_prefix(next);
    return line;
}

// The text with ASCII letters in lower case; other bytes (UTF-8 sequences) as they are.
inline std::string LowerAscii(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}
