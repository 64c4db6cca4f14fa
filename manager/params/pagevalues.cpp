#include "manager/params/pagevalues.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <vector>

#include "common/textcodec.h"
#include "common/textutil.h"
#include "manager/access/addresstext.h"
#include "manager/params/paramfamily.h"
#include "manager/params/paramtexts.h"

namespace {

constexpr std::string_view kBauds[] = {"600",   "1200",  "2400",  "4800",  "9600",
                                       "19200", "38400", "57600", "115200"};
constexpr std::string_view kParities[] = {"NONE", "EVEN", "ODD", "MARK", "SPACE"};
constexpr std::string_view kDataBits[] = {"7 bits", "8 bits"};
constexpr std::string_view kStopBits[] = {"1 bit", "2 bits"};
constexpr std::string_view kFlows[] = {"NONE", "RTS", "DUPLEX"};
constexpr std::string_view kProtocols[] = {"UDP", "TCP", "REAL-COM"};
constexpr std::string_view kModes[] = {"Server Mode", "Auto Mode", "Client Mode"};
constexpr std::string_view kInputs[] = {"mic", "line"};

// How a value is stored: a numeric field with a range, a list position, or a rule of its own.
enum class TRule : std::uint8_t {
    kNumber,     // field, min..max
    kChoice,     // field, position in choices (letter case ignored)
    kTalkInput,  // talk input, and the multicast input when there is no multicast page
    kCodecs,     // talk codecs by name, at least one
    kCodec,      // multicast codec: the first known code
    kAutoAnswer,
    kEcho,
    kVolume,  // monitor volume 60..100, shown clamped
    kKey,
    kMonitor,
    kBaud,
    kBits,  // data or stop bits, shown by their reading rule
    kAddress,
};

struct TValueRule {
    TPageValue value;
    TRule rule;
    std::string_view field{};
    std::int64_t min = 0, max = 0;
    std::span<const std::string_view> choices{};
    int index = 0;  // key 0..3, monitor row 0..9
};

std::vector<TValueRule> BuildRules() {
    constexpr std::string_view kTalk = "IntercomSetting", kCast = "MulticastSetting",
                               kKeys = "KeySetting", kMon = "MonitorMulticast", kData = "DataUart";
    std::vector<TValueRule> r = {
        {{"talk.codecs", kTalk,
          "codec names or codes in priority order, e.g. G.722,G.711a(PCMA) or 3,2"},
         TRule::kCodecs,
         "talk.codecs"},
        {{"talk.input", kTalk, "mic or line (or 0, 1)"}, TRule::kTalkInput, "talk.input"},
        {{"talk.gain", kTalk, "0 to 100"}, TRule::kNumber, "talk.gain", 0, 100},
        {{"talk.volume", kTalk, "0 to 100"}, TRule::kNumber, "talk.volume", 0, 100},
        {{"talk.ring_volume", kTalk, "0 to 100"}, TRule::kNumber, "talk.ring_volume", 0, 100},
        {{"talk.echo", kTalk, "0 off, 1 low, 2 medium, 3 high, 4 highest"},
         TRule::kEcho,
         "talk.echo",
         0,
         4},
        {{"talk.auto_answer", kTalk, "seconds 0 to 60, or hangup (61)"},
         TRule::kAutoAnswer,
         "talk.auto_answer",
         0,
         60},
        {{"multicast.input", kCast, "mic or line (or 0, 1)"},
         TRule::kChoice,
         "multicast.input",
         0,
         1,
         kInputs},
        {{"multicast.gain", kCast, "0 to 100"}, TRule::kNumber, "multicast.gain", 0, 100},
        {{"multicast.codec", kCast, "a codec name or code, e.g. G.722 or 3"},
         TRule::kCodec,
         "multicast.codec"},
        {{"monitor.volume", kMon, "60 to 100"}, TRule::kVolume, "monitor.volume", 60, 100},
        {{"uart_data.baud", kData, "bits per second, a multiple of 100, e.g. 9600"},
         TRule::kBaud,
         "uart_data.baud"},
        {{"uart_data.parity", kData, "NONE, EVEN, ODD, MARK or SPACE (or 0 to 4)"},
         TRule::kChoice,
         "uart_data.parity",
         0,
         4,
         kParities},
        {{"uart_data.data_bits", kData, "7 or 8"}, TRule::kBits, "uart_data.data_bits", 7, 8},
        {{"uart_data.stop_bits", kData, "1 or 2"}, TRule::kBits, "uart_data.stop_bits", 1, 2},
        {{"uart_data.flow", kData, "NONE, RTS or DUPLEX (or 0 to 2)"},
         TRule::kChoice,
         "uart_data.flow",
         0,
         2,
         kFlows},
        {{"uart_data.frame_interval", kData, "milliseconds, 0 to 255"},
         TRule::kNumber,
         "uart_data.frame_interval",
         0,
         255},
        {{"uart_data.max_frame", kData, "bytes, 0 to 1440"},
         TRule::kNumber,
         "uart_data.max_frame",
         0,
         1440},
        {{"uart_data.local_port", kData, "0 to 65535"},
         TRule::kNumber,
         "uart_data.local_port",
         0,
         65535},
        {{"uart_data.target_ip", kData, "remote IP address, empty for none"},
         TRule::kAddress,
         "uart_data.target_ip"},
        {{"uart_data.target_port", kData, "0 to 65535"},
         TRule::kNumber,
         "uart_data.target_port",
         0,
         65535},
        {{"uart_data.mode", kData, "Server Mode, Auto Mode or Client Mode (or 0 to 2)"},
         TRule::kChoice,
         "uart_data.mode",
         0,
         2,
         kModes},
        {{"uart_data.keepalive", kData, "seconds, 0 to 255"},
         TRule::kNumber,
         "uart_data.keepalive",
         0,
         255},
    };
    static const std::string kKeyNames[] = {"key1", "key2", "key3", "key4"};
    for (int k = 0; k < 4; ++k)
        r.push_back({{kKeyNames[k], kKeys, "call:NUMBER or multicast:ADDRESS:PORT"},
                     TRule::kKey,
                     {},
                     0,
                     0,
                     {},
                     k});
    static const std::string kMonitorNames[] = {"monitor1", "monitor2", "monitor3", "monitor4",
                                                "monitor5", "monitor6", "monitor7", "monitor8",
                                                "monitor9", "monitor10"};
    for (int row = 0; row < static_cast<int>(kMonitorEntries); ++row)
        r.push_back({{kMonitorNames[row], kMon, "ADDRESS:PORT, empty to clear"},
                     TRule::kMonitor,
                     {},
                     0,
                     0,
                     {},
                     row});
    return r;
}

const std::vector<TValueRule>& Rules() {
    static const std::vector<TValueRule> rules = BuildRules();
    return rules;
}

std::vector<TPageValue> BuildValues() {
    std::vector<TPageValue> values;
    for (const TValueRule& rule : Rules())
        values.push_back(rule.value);
    return values;
}

const TValueRule& RuleOf(const TPageValue& value) {
    const auto& rules = Rules();
    return *std::find_if(rules.begin(), rules.end(),
                         [&](const TValueRule& r) { return r.value.name == value.name; });
}

bool SameLetters(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// An entry's text (or its first word), or its position in the list as the field stores it.
std::optional<std::int64_t> Position(std::span<const std::string_view> choices,
                                     std::string_view text) {
    if (const std::optional<std::int64_t> stored = BoxNumber(text))
        return *stored >= 0 && *stored < static_cast<std::int64_t>(choices.size()) ? stored
                                                                                   : std::nullopt;
    for (std::size_t i = 0; i < choices.size(); ++i)
        if (SameLetters(choices[i], text) ||
            SameLetters(choices[i].substr(0, choices[i].find(' ')), text))
            return static_cast<std::int64_t>(i);
    return std::nullopt;
}

std::string Error(const TPageValue& value, std::string_view text, std::string_view wanted) {
    return std::string(value.name) + ": \"" + std::string(text) + "\" is not " +
           std::string(wanted);
}

// A target of a key or a monitor row: at most 15 bytes in the device code page.
bool FitsTarget(std::string_view text) {
    return ToDeviceBytes(text).size() <= 15;
}

std::optional<int> PortOf(std::string_view text) {
    const std::optional<std::int64_t> port = BoxNumber(text);
    if (!port || *port < 0 || *port > 65535) return std::nullopt;
    return static_cast<int>(*port);
}

std::string FormatKey(const TKeyRecordValue& key) {
    if (!key.multicast) return "call:" + key.target;
    return "multicast:" + key.target + ":" + (key.port == 0 ? "" : std::to_string(key.port));
}

std::string ParseKey(TParamBlock& block, const TValueRule& rule, std::string_view text) {
    const std::string_view wanted = "call:NUMBER or multicast:ADDRESS:PORT (at most 15 characters)";
    TKeyRecordValue key;
    if (text.starts_with("call:")) {
        key.target = std::string(TrimBlanks(text.substr(5)));
    } else if (text.starts_with("multicast:")) {
        const std::string_view rest = text.substr(10);
        const std::size_t colon = rest.rfind(':');
        if (colon == std::string_view::npos) return Error(rule.value, text, wanted);
        const std::string_view port = TrimBlanks(rest.substr(colon + 1));
        const std::optional<int> number = port.empty() ? std::optional<int>(0) : PortOf(port);
        if (!number) return Error(rule.value, text, wanted);
        key = {true, std::string(TrimBlanks(rest.substr(0, colon))), *number};
    } else {
        return Error(rule.value, text, wanted);
    }
    if (!FitsTarget(key.target)) return Error(rule.value, text, wanted);
    SetKeyRecord(block, static_cast<std::size_t>(rule.index), key);
    return {};
}

std::string ParseMonitor(TParamBlock& block, const TValueRule& rule, std::string_view text) {
    TMonitorRows rows = GetMonitorRows(block);
    TMonitorRow row;
    if (!text.empty()) {
        const std::size_t colon = text.rfind(':');
        const std::string_view address = TrimBlanks(text.substr(0, colon));
        const std::optional<int> port =
            colon == std::string_view::npos ? std::nullopt : PortOf(text.substr(colon + 1));
        if (!port || !FitsTarget(address) || !IsValidIPLenient(address))
            return Error(rule.value, text, "ADDRESS:PORT with an IPv4 address and a port");
        row = {std::string(address), *port};
    }
    rows[static_cast<std::size_t>(rule.index)] = row;
    // As the page saves: every row again as the entry of its priority.
    SetMonitorRows(block, rows);
    return {};
}

// A codec by its exact name ("G.722") or the code the field stores ("3").
std::optional<int> CodecOfText(std::string_view text) {
    if (const std::optional<std::int64_t> code = BoxNumber(text))
        return *code >= kCodecPcmu && *code <= kCodecG722 ? std::optional<int>(*code)
                                                          : std::nullopt;
    return CodecOfName(text);
}

std::string FormatCodecs(const TParamBlock& block, const TParamField& field) {
    std::string text;
    for (int code : GetCodecs(block, field))
        text += (text.empty() ? "" : ",") + std::string(CodecName(code));
    return text;
}

std::string ParseCodecs(TParamBlock& block, const TValueRule& rule, std::string_view text) {
    std::vector<int> codes;
    for (std::string_view rest = text; !rest.empty();) {
        const std::size_t comma = rest.find(',');
        const std::string_view name = TrimBlanks(rest.substr(0, comma));
        const std::optional<int> code = CodecOfText(name);
        if (!code || std::find(codes.begin(), codes.end(), *code) != codes.end())
            return Error(rule.value, name,
                         "a codec name (G.711u(PCMU), G.711a(PCMA), G.722, each once)");
        codes.push_back(*code);
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    }
    // As on the page: at least one codec stays ticked.
    if (codes.empty()) return std::string(rule.value.name) + ": at least one codec is needed";
    SetCodecs(block, ParamField(rule.field), codes);
    return {};
}

}  // namespace

std::optional<int> CodecOfName(std::string_view name) {
    for (int code = kCodecPcmu; code <= kCodecG722; ++code)
        if (name == CodecName(code)) return code;
    return std::nullopt;
}

std::span<const std::string_view> BaudRateTexts() {
    return kBauds;
}
std::span<const std::string_view> ParityTexts() {
    return kParities;
}
std::span<const std::string_view> DataBitsTexts() {
    return kDataBits;
}
std::span<const std::string_view> StopBitsTexts() {
    return kStopBits;
}
std::span<const std::string_view> FlowTexts() {
    return kFlows;
}
std::span<const std::string_view> ProtocolTexts() {
    return kProtocols;
}
std::span<const std::string_view> WorkingModeTexts() {
    return kModes;
}

std::optional<int> BaudFieldOfText(std::string_view text) {
    text = TrimBlanks(text);
    std::size_t digits = 0;
    while (digits < text.size() && std::isdigit(static_cast<unsigned char>(text[digits])))
        ++digits;
    if (digits == 0) return 96;
    std::uint64_t bps = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + digits, bps);
    if (ec != std::errc() || bps / 100 > 65535) return std::nullopt;
    return static_cast<int>(bps / 100);
}

std::string BaudText(int fieldValue) {
    return std::to_string(static_cast<std::int64_t>(fieldValue) * 100) + " bps";
}

std::optional<std::int64_t> BoxNumber(std::string_view text) {
    text = TrimBlanks(text);
    std::int64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

int ShownDataBits(std::int64_t stored) {
    return stored == 7 ? 7 : 8;
}

int ShownStopBits(std::int64_t stored) {
    return stored == 2 ? 2 : 1;
}

int ShownKeepAlive(std::int64_t stored) {
    return stored == 0 ? 30 : static_cast<int>(stored);
}

int ShownExpiry(std::int64_t stored) {
    return stored < 20 || stored > 7200 ? 3600 : static_cast<int>(stored);
}

std::int64_t ShownListPosition(std::int64_t stored, std::size_t entries) {
    return stored >= 0 && stored < static_cast<std::int64_t>(entries) ? stored : kNoListEntry;
}

int ShownTimeZone(std::int64_t minutes) {
    const std::string text = TimeZoneText(static_cast<int>(minutes));
    const auto zones = TimeZoneTexts();
    const bool listed = std::find(zones.begin(), zones.end(), text) != zones.end();
    return TimeZoneMinutes(listed ? text : zones[kDefaultTimeZoneIndex]);
}

std::span<const TPageValue> PageValues() {
    static const std::vector<TPageValue> values = BuildValues();
    return values;
}

const TPageValue* FindPageValue(std::string_view name) {
    for (const TPageValue& value : PageValues())
        if (value.name == name) return &value;
    return nullptr;
}

bool HasPageOf(const TParamBlock& block, const TPageValue& value) {
    return HasPage(block, value.page);
}

std::string FormatPageValue(const TParamBlock& block, const TPageValue& value) {
    const TValueRule& rule = RuleOf(value);
    const TParamField* field = rule.field.empty() ? nullptr : &ParamField(rule.field);
    switch (rule.rule) {
        case TRule::kNumber:
        case TRule::kAddress:
            return FormatFieldValue(block, *field);
        case TRule::kChoice:
        case TRule::kTalkInput: {
            const std::int64_t stored = GetFieldInt(block, *field);
            const auto choices = rule.rule == TRule::kTalkInput
                                     ? std::span<const std::string_view>(kInputs)
                                     : rule.choices;
            return stored >= 0 && stored < static_cast<std::int64_t>(choices.size())
                       ? std::string(choices[static_cast<std::size_t>(stored)])
                       : std::to_string(stored);
        }
        case TRule::kCodecs:
            return FormatCodecs(block, *field);
        case TRule::kCodec: {
            const std::vector<int> codes = GetCodecs(block, *field);
            return codes.empty() ? std::string() : std::string(CodecName(codes.front()));
        }
        case TRule::kAutoAnswer: {
            const std::int64_t seconds = GetFieldInt(block, *field);
            return seconds >= kAutoHangUp ? "hangup" : std::to_string(seconds);
        }
        case TRule::kEcho:
            return std::to_string(std::min<std::int64_t>(GetFieldInt(block, *field), 4));
        case TRule::kVolume:
            return std::to_string(std::clamp<std::int64_t>(GetFieldInt(block, *field), 60, 100));
        case TRule::kKey:
            return FormatKey(GetKeyRecord(block, static_cast<std::size_t>(rule.index)));
        case TRule::kMonitor: {
            const TMonitorRows rows = GetMonitorRows(block);
            const TMonitorRow& row = rows[static_cast<std::size_t>(rule.index)];
            if (row.address.empty() && row.port == 0) return {};
            return row.address + ":" + (row.port == 0 ? "" : std::to_string(row.port));
        }
        case TRule::kBaud:
            return std::to_string(GetFieldInt(block, *field) * 100);
        case TRule::kBits: {
            const std::int64_t stored = GetFieldInt(block, *field);
            return std::to_string(rule.min == 7 ? ShownDataBits(stored) : ShownStopBits(stored));
        }
    }
    return {};
}

std::string ParsePageValue(TParamBlock& block, const TPageValue& value, std::string_view text) {
    if (!HasPageOf(block, value)) return NoPageText(block, value.name, value.page);
    if (std::string refused = CodePageRefusal(value.name, text); !refused.empty()) return refused;
    const TValueRule& rule = RuleOf(value);
    const TParamField* field = rule.field.empty() ? nullptr : &ParamField(rule.field);
    text = TrimBlanks(text);
    const std::string range =
        "a number from " + std::to_string(rule.min) + " to " + std::to_string(rule.max);
    auto number = [&](std::int64_t lo, std::int64_t hi, std::string_view wanted) -> std::string {
        const std::optional<std::int64_t> n = BoxNumber(text);
        if (!n || *n < lo || *n > hi) return Error(value, text, wanted);
        SetFieldInt(block, *field, *n);
        return {};
    };
    switch (rule.rule) {
        case TRule::kNumber:
        case TRule::kEcho:
        case TRule::kVolume:
        case TRule::kBits:
            return number(rule.min, rule.max, range);
        case TRule::kAutoAnswer:
            // 61, as the field stores "hang up", means the same.
            if (SameLetters(text, "hangup")) text = "61";
            return number(rule.min, kAutoHangUp, "seconds from 0 to 60, or hangup");
        case TRule::kChoice:
        case TRule::kTalkInput: {
            const auto choices = rule.rule == TRule::kTalkInput
                                     ? std::span<const std::string_view>(kInputs)
                                     : rule.choices;
            const std::optional<std::int64_t> position = Position(choices, text);
            if (!position) return Error(value, text, "one of " + std::string(value.form));
            SetFieldInt(block, *field, *position);
            // The talk page writes the multicast input too; a multicast page saves after it.
            if (rule.rule == TRule::kTalkInput &&
                !HasPageOf(block, *FindPageValue("multicast.input")))
                SetFieldInt(block, ParamField("multicast.input"), *position);
            return {};
        }
        case TRule::kCodecs:
            return ParseCodecs(block, rule, text);
        case TRule::kCodec: {
            const std::optional<int> code = CodecOfText(text);
            if (!code)
                return Error(value, text, "a codec name (G.711u(PCMU), G.711a(PCMA), G.722)");
            const int codes[] = {*code};
            SetCodecs(block, *field, codes);
            return {};
        }
        case TRule::kKey:
            return ParseKey(block, rule, text);
        case TRule::kMonitor:
            return ParseMonitor(block, rule, text);
        case TRule::kBaud: {
            const std::optional<std::int64_t> bps = BoxNumber(text);
            const std::optional<int> stored = BaudFieldOfText(text);
            // The field stores hundreds: any other rate would silently become another one.
            if (!bps || *bps < 100 || *bps % 100 != 0 || !stored)
                return Error(value, text, "a baud rate in bps, a multiple of 100");
            SetFieldInt(block, *field, *stored);
            return {};
        }
        case TRule::kAddress:
            if (!text.empty() && !IsValidIPLenient(text))
                return Error(value, text, "an IPv4 address");
            SetFieldIp(block, *field, text);
            return {};
    }
    return {};
}
