// Small text helpers shared by every module.
#pragma once

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
