#include "manager/params/paramtexts.h"

#include <charconv>
#include <cstdlib>
#include <optional>

#include "common/textutil.h"
#include "common/translation.h"

namespace {

constexpr std::string_view kTerminalKey = "Pelmora/Common/TerminalStatus/keyWord";
constexpr std::string_view kWorkKey = "Pelmora/Common/WorkStatus/keyWord";

// Activity codes (low six bits of the run status) in the order of their texts.
constexpr std::uint8_t kWorkCodes[14] = {0, 8, 16, 24, 25, 26, 32, 33, 40, 48, 49, 50, 52, 53};

constexpr std::string_view kZones[] = {
    "-12:00", "-11:00", "-10:00", "-09:30", "-09:00", "-08:00", "-07:00", "-06:00",
    "-05:00", "-04:00", "-03:30", "-03:00", "-02:00", "-01:00", "+00:00", "+01:00",
    "+02:00", "+03:00", "+03:30", "+04:00", "+04:30", "+05:00", "+05:30", "+05:45",
    "+06:00", "+06:30", "+07:00", "+08:00", "+08:45", "+09:00", "+09:30", "+10:00",
    "+11:00", "+12:00", "+12:45", "+13:00", "+14:00",
};
static_assert(kZones[kDefaultTimeZoneIndex] == "+08:00");

template <std::size_t N>
void Reload(std::array<std::string, N>& words, std::string_view keyPrefix) {
    for (std::size_t n = 0; n < N; ++n) {
        const std::string text =
            Translate(std::string(keyPrefix) + std::to_string(n + 1), std::string_view());
        const std::string_view trimmed = TrimBlanks(text);
        if (!trimmed.empty()) words[n] = std::string(trimmed);
    }
}

std::optional<int> Integer(std::string_view text) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return value;
}

std::string TwoDigits(int n) {
    return (n < 10 ? "0" : "") + std::to_string(n);
}

}  // namespace

TStatusWords DefaultStatusWords() {
    return {{"正在注册", "已经注册"},
            {"空闲", "播放", "采播", "对讲通话", "远端呼入", "主动呼叫", "正在播放CD卡", "暂停",
             "播放模式2", "自动模式(空闲)", "自动模式(播放)", "自动模式(暂停)", "手动模式(空闲)",
             "手动模式(播放)"}};
}

void ReloadStatusWords(TStatusWords& words) {
    Reload(words.terminal, kTerminalKey);
    Reload(words.work, kWorkKey);
}

TStatusWords& StatusWords() {
    static TStatusWords words = DefaultStatusWords();
    return words;
}

std::string StatusText(std::uint8_t status, const TStatusWords& words) {
    std::string text = words.terminal[(status & 0x40) != 0 ? 1 : 0];
    const std::uint8_t code = status & 0x3F;
    for (std::size_t n = 0; n < std::size(kWorkCodes); ++n)
        if (kWorkCodes[n] == code) text += ", " + words.work[n];
    return text;
}

std::string StatusText(std::uint8_t status) {
    return StatusText(status, StatusWords());
}

std::span<const std::string_view> TimeZoneTexts() {
    return kZones;
}

std::string TimeZoneText(int minutes) {
    const int magnitude = std::abs(minutes);
    return (minutes < 0 ? "-" : "+") + TwoDigits(magnitude / 60) + ":" + TwoDigits(magnitude % 60);
}

int TimeZoneMinutes(std::string_view text) {
    text = TrimBlanks(text);
    const std::size_t colon = text.find(':');
    if (text.empty() || colon == std::string_view::npos || colon == 0) return 0;
    const std::optional<int> hours = Integer(text.substr(1, colon - 1));
    const std::optional<int> minutes = Integer(text.substr(colon + 1));
    if (!hours || !minutes) return 0;
    const long long total =
        text.front() == '-' ? -(*hours * 60LL) - *minutes : *hours * 60LL + *minutes;
    // The block holds 16 bits; a text far outside any zone gives 0 instead of overflowing.
    return total < -32768 || total > 32767 ? 0 : static_cast<int>(total);
}
