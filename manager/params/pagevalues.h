// The values of the talk, multicast, key, monitor and data serial pages as the user sees them,
// shared by the editor's pages and `pelmora-cli params`: list texts, codec names, the baud text,
// and named values with the pages' own forms and checks ("key1" = "call:8001", "auto_answer" =
// "hangup", "talk.codecs" = "G.722,G.711a(PCMA)", ...).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "manager/params/paramblock.h"

// The auto-answer time that means "hang up automatically".
constexpr int kAutoHangUp = 61;

// Codec code of an exact codec name ("G.722"); nothing for any other text.
std::optional<int> CodecOfName(std::string_view name);

// Texts of the serial lists, in list order (position = stored value).
std::span<const std::string_view> BaudRateTexts();     // "600" ... "115200"
std::span<const std::string_view> ParityTexts();       // "NONE", "EVEN", "ODD", "MARK", "SPACE"
std::span<const std::string_view> DataBitsTexts();     // "7 bits", "8 bits"
std::span<const std::string_view> StopBitsTexts();     // "1 bit", "2 bits"
std::span<const std::string_view> FlowTexts();         // "NONE", "RTS", "DUPLEX"
std::span<const std::string_view> ProtocolTexts();     // "UDP", "TCP", "REAL-COM"
std::span<const std::string_view> WorkingModeTexts();  // "Server Mode", "Auto Mode", "Client Mode"

// The stored baud value (bps / 100) of a baud text: its leading decimal digits, 9600 when there
// are none, divided by 100. A rate too large for the 16-bit field is refused (nothing).
std::optional<int> BaudFieldOfText(std::string_view text);
// "115200 bps" for the stored 1152.
std::string BaudText(int fieldValue);

// The whole number a box's text holds (blanks around it ignored), or nothing.
std::optional<std::int64_t> BoxNumber(std::string_view text);

// Stored values as the pages show them, and so write them back. Data bits: other than 7 is 8;
// stop bits: other than 2 is 1; keep-alive: 0 is 30; expiry: outside 20..7200 is 3600; a list
// position without an entry selects nothing, which a page writes as 255; a time zone the zone
// list lacks shows the list's default zone.
int ShownDataBits(std::int64_t stored);
int ShownStopBits(std::int64_t stored);
int ShownKeepAlive(std::int64_t stored);
int ShownExpiry(std::int64_t stored);
constexpr std::int64_t kNoListEntry = 255;
std::int64_t ShownListPosition(std::int64_t stored, std::size_t entries);
int ShownTimeZone(std::int64_t minutes);

// A named value of a page.
struct TPageValue {
    std::string_view name;
    std::string_view page;  // entry of the page table that shows it
    std::string_view form;  // what a value looks like, for `params fields`
};
std::span<const TPageValue> PageValues();
const TPageValue* FindPageValue(std::string_view name);
// Whether the block's model family and feature flags give the value's page.
bool HasPageOf(const TParamBlock& block, const TPageValue& value);
std::string FormatPageValue(const TParamBlock& block, const TPageValue& value);
// Stores a text after the page's checks; an empty result on success, else an error naming the
// value (the block is then unchanged). A value of a page the terminal does not have is refused.
std::string ParsePageValue(TParamBlock& block, const TPageValue& value, std::string_view text);
