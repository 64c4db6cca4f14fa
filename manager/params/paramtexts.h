// Texts of the parameter block's values: the run status and the time zone.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// The two word lists of the run status, held for the whole program run: the registration
// texts ("Pelmora/Common/TerminalStatus/keyWord1..2") and the activity texts
// ("Pelmora/Common/WorkStatus/keyWord1..14").
struct TStatusWords {
    std::array<std::string, 2> terminal;
    std::array<std::string, 14> work;
};
// The built-in texts.
TStatusWords DefaultStatusWords();
// Each entry whose key has a non-empty trimmed translation takes it; the others keep their text.
void ReloadStatusWords(TStatusWords& words);

// The program's lists (window thread only): built-in texts until ReloadStatusWords(StatusWords())
// runs on a language change.
TStatusWords& StatusWords();

// The registration text of bit 6, and ", " + the activity text when the low six bits are one of
// the known activity codes.
std::string StatusText(std::uint8_t status, const TStatusWords& words);
std::string StatusText(std::uint8_t status);  // with StatusWords()

// The 37 time zone texts of the maintenance page; index 27 is "+08:00".
std::span<const std::string_view> TimeZoneTexts();
constexpr int kDefaultTimeZoneIndex = 27;

// "+08:00" for 480, "-03:30" for -210, "+00:00" for 0.
std::string TimeZoneText(int minutes);
// The minutes of such a text; 0 for an empty text, one without ":" or with a part that is not an
// integer.
int TimeZoneMinutes(std::string_view text);
