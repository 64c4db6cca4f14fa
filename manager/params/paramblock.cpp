#include "manager/params/paramblock.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <unordered_map>

#include "common/textcodec.h"
#include "common/textutil.h"
#include "manager/access/addresstext.h"
#include "manager/params/paramtexts.h"

namespace {

using K = TFieldKind;
using G = TDefaultGroup;
using FV = TFamilyValue;

TFieldDefault Number(std::int64_t n) {
    return {TDefaultKind::kNumber, n, {}, {}};
}
TFieldDefault Text(std::string_view text) {
    return {TDefaultKind::kText, 0, text, {}};
}
TFieldDefault ClearedText(std::string_view text) {
    return {TDefaultKind::kClearedText, 0, text, {}};
}
TFieldDefault Family(TFamilyValue column) {
    return {TDefaultKind::kFamily, 0, {}, column};
}
TFieldDefault Of(TDefaultKind kind) {
    return {kind, 0, {}, {}};
}

// One row of the table: the encoding's natural range unless narrowed.
struct TRow : TParamField {
    TRow(std::string n, int offsetIn, int widthIn, K kindIn, std::string_view pageIn,
         std::string_view meaningIn) {
        name = std::move(n);
        offset = static_cast<std::uint16_t>(offsetIn);
        width = static_cast<std::uint16_t>(widthIn);
        kind = kindIn;
        page = pageIn;
        meaning = meaningIn;
        switch (kind) {
            case K::kPortBe:
            case K::kLe16:
                max = 65535;
                break;
            case K::kSignedLe16:
                min = -32768, max = 32767;
                break;
            case K::kLe32:
                max = 0xFFFFFFFF;
                break;
            case K::kFlag:
            case K::kFlagLike:
                max = 1;
                break;
            case K::kByte:
                max = 255;
                break;
            case K::kText:
            case K::kTextCleared:
                max = width - 1;
                break;
            default:
                break;
        }
    }
    TRow& Range(std::int64_t lo, std::int64_t hi) { return min = lo, max = hi, *this; }
    TRow& Default(TDefaultGroup g, TFieldDefault d) { return group = g, def = d, *this; }
    TRow& EmptyWhenZero() { return zeroShownEmpty = true, *this; }
    TRow& ReadOnly() { return readOnly = true, *this; }
    TRow& Mirror(std::string_view to) { return mirror = to, *this; }
    TRow& Form(TTextForm f) { return form = f, *this; }
};

constexpr TKeyRecordInstance kKeyRecords[] = {
    {"key1", {344, 345, 346, 348}},
    {"key2", {432, 433, 470, 436}},
    {"key3", {480, 481, 482, 484}},
    {"key4", {616, 617, 618, 620}},
};

std::vector<TParamField> BuildFields() {
    std::vector<TRow> r;
    // Header, identity and run state.
    r.emplace_back("mac", 2, 6, K::kMac, "RunInfo", "MAC address").ReadOnly();
    r.emplace_back("features", 8, 4, K::kLe32, "", "feature flags; bit 3: data serial port")
        .ReadOnly();
    r.emplace_back("model", 12, 32, K::kText, "RunInfo", "model name").ReadOnly();
    r.emplace_back("firmware", 44, 32, K::kText, "RunInfo", "firmware version").ReadOnly();
    r.emplace_back("maint.user", 80, 16, K::kTextCleared, "DevMaintenance",
                   "user name of the terminal's own login")
        .Range(0, 15)
        .Default(G::kMaintenance, ClearedText(""));
    r.emplace_back("maint.password", 96, 16, K::kTextCleared, "DevMaintenance",
                   "password of the terminal's own login")
        .Range(0, 15)
        .Default(G::kMaintenance, ClearedText(""));
    r.emplace_back("display_name_copy", 112, 16, K::kBytes, "AccountInfo",
                   "first 16 bytes of the display name")
        .ReadOnly();
    r.emplace_back("sip.user_copy", 128, 16, K::kBytes, "AccountInfo", "copy of the user number")
        .ReadOnly();
    r.emplace_back("run_status", 170, 1, K::kByte, "AccountInfo",
                   "bit 6: registered; low six bits: activity")
        .ReadOnly();
    // Network and management server.
    r.emplace_back("ip", 144, 4, K::kIpv4, "BaseParam", "static IP address")
        .Default(G::kNetwork, Text("10.1.1.10"));
    r.emplace_back("mask", 148, 4, K::kIpv4, "BaseParam", "subnet mask")
        .Default(G::kNetwork, Text("255.0.0.0"));
    r.emplace_back("gateway", 152, 4, K::kIpv4, "BaseParam", "gateway")
        .Default(G::kNetwork, Text("10.1.1.1"));
    r.emplace_back("dns1", 156, 4, K::kIpv4, "BaseParam", "primary DNS")
        .EmptyWhenZero()
        .Default(G::kNetwork, Text("0.0.0.0"));
    r.emplace_back("dns2", 160, 4, K::kIpv4, "BaseParam", "secondary DNS")
        .EmptyWhenZero()
        .Default(G::kNetwork, Text("0.0.0.0"));
    r.emplace_back("dhcp", 164, 1, K::kFlag, "BaseParam", "1: address from DHCP")
        .Default(G::kNetwork, Number(1));
    r.emplace_back("auto_dns", 165, 1, K::kFlag, "BaseParam", "1: DNS servers from DHCP")
        .Default(G::kNetwork, Number(1));
    r.emplace_back("mgmt.port", 176, 2, K::kPortBe, "BaseParam", "management server port")
        .Default(G::kNetwork, Number(8877));
    r.emplace_back("mgmt.server", 548, 32, K::kText, "BaseParam", "management server address")
        .Default(G::kNetwork, Of(TDefaultKind::kManagementServer));
    // SIP account.
    r.emplace_back("sip.password", 520, 16, K::kText, "AccountInfo", "SIP password")
        .Range(0, 15)
        .Default(G::kAccount, Text(""));
    r.emplace_back("sip.port", 638, 2, K::kLe16, "AccountInfo", "SIP server port")
        .Default(G::kAccount, Number(0));
    r.emplace_back("sip.user", 660, 16, K::kText, "AccountInfo", "user number (SIP account)")
        .Range(0, 15)
        .Mirror("sip.user_copy")
        .Default(G::kAccount, Text(""));
    r.emplace_back("sip.local_port", 760, 2, K::kPortBe, "AccountInfo", "local SIP port")
        .Default(G::kAccount, Number(0));
    r.emplace_back("expiry", 762, 2, K::kLe16, "AccountInfo", "registration expiry, seconds")
        .Range(20, 7200);
    r.emplace_back("display_name", 796, 32, K::kText, "AccountInfo", "display name")
        .Range(0, 16)
        .Mirror("display_name_copy")
        .Default(G::kAccount, Text(""));
    r.emplace_back("sip.server", 860, 64, K::kText, "AccountInfo", "SIP server address")
        .Default(G::kAccount, ClearedText("0.0.0.0"));
    r.emplace_back("keepalive", 934, 1, K::kByte, "AccountInfo", "registration keep-alive, seconds")
        .Range(1, 255)
        .Default(G::kAccount, Number(30));
    // Talk.
    r.emplace_back("talk.auto_answer", 171, 1, K::kByte, "IntercomSetting",
                   "seconds before answering; 61 or more: hang up automatically")
        .Default(G::kTalk, Family(FV::kAutoAnswer));
    r.emplace_back("talk.volume", 179, 1, K::kByte, "IntercomSetting", "talk volume")
        .Range(0, 100)
        .Default(G::kTalk, Family(FV::kTalkVolume));
    r.emplace_back("talk.input", 181, 1, K::kFlagLike, "IntercomSetting", "0: Mic; 1: Line in")
        .Default(G::kTalk, Number(0));
    r.emplace_back("talk.gain", 186, 1, K::kByte, "IntercomSetting", "talk input gain")
        .Range(0, 100)
        .Default(G::kTalk, Family(FV::kTalkGain));
    r.emplace_back("talk.ring_line", 187, 1, K::kFlag, "IntercomSetting",
                   "1: ringing also on the line output")
        .Default(G::kTalk, Number(1));
    r.emplace_back("talk.echo", 468, 1, K::kByte, "IntercomSetting",
                   "echo cancellation: 0 off, 1 low, 2 medium, 3 high, 4 highest")
        .Range(0, 4)
        .Default(G::kTalk, Number(1));
    r.emplace_back("talk.call_key_hangup", 693, 1, K::kFlag, "IntercomSetting",
                   "1: the call key may end a call")
        .Default(G::kTalk, Number(1));
    r.emplace_back("talk.line_out", 714, 1, K::kFlag, "IntercomSetting",
                   "1: talk audio also on the line output")
        .Default(G::kTalk, Number(1));
    r.emplace_back("talk.ring_volume", 718, 1, K::kByte, "IntercomSetting", "ring volume")
        .Range(0, 100)
        .Default(G::kTalk, Family(FV::kRingVolume));
    r.emplace_back("talk.codecs", 924, 8, K::kCodecList, "IntercomSetting",
                   "codecs in priority order: 1 PCMU, 2 PCMA, 3 G.722")
        .Default(G::kTalk, Of(TDefaultKind::kCodecs123));
    // Multicast and monitor.
    r.emplace_back("monitor.volume_copy", 178, 1, K::kByte, "MonitorMulticast",
                   "copy of the monitor volume")
        .ReadOnly()
        .Default(G::kMulticast, Family(FV::kPlayVolume));
    r.emplace_back("multicast.input", 683, 1, K::kFlagLike, "MulticastSetting",
                   "0: Mic; 1: Line in")
        .Default(G::kMulticast, Number(0));
    r.emplace_back("multicast.gain", 721, 1, K::kByte, "MulticastSetting", "multicast input gain")
        .Range(0, 100)
        .Default(G::kMulticast, Family(FV::kMulticastGain));
    r.emplace_back("monitor.volume", 932, 1, K::kByte, "MonitorMulticast", "monitor volume")
        .Range(60, 100)
        .Mirror("monitor.volume_copy")
        .Default(G::kMulticast, Family(FV::kPlayVolume));
    r.emplace_back("multicast.codec", 936, 8, K::kCodecList, "MulticastSetting",
                   "multicast codec: 1 PCMU, 2 PCMA, 3 G.722")
        .Default(G::kMulticast, Of(TDefaultKind::kCodecs123));
    for (std::size_t k = 0; k < kMonitorEntries; ++k) {
        const int base = static_cast<int>(kMonitorFirstOffset + kMonitorEntryBytes * k);
        const std::string entry = "monitor" + std::to_string(k + 1) + ".";
        r.emplace_back(entry + "number", base, 1, K::kByte, "MonitorMulticast", "entry number");
        r.emplace_back(entry + "priority", base + 1, 1, K::kByte, "MonitorMulticast",
                       "priority 1 to 10: the row it is shown in");
        r.emplace_back(entry + "port", base + 2, 2, K::kLe16, "MonitorMulticast", "multicast port")
            .EmptyWhenZero()
            .Default(G::kMonitor, Number(0));
        r.emplace_back(entry + "address", base + 4, 16, K::kText, "MonitorMulticast",
                       "multicast address; empty: no entry")
            .Range(0, 15)
            .Default(G::kMonitor, Of(TDefaultKind::kFirstByteZero));
    }
    // Keys.
    r.emplace_back("key.input_mode", 182, 1, K::kFlag, "KeySetting", "1: hold; 0: trigger")
        .Default(G::kKey, Number(0));
    for (const TKeyRecordInstance& key : kKeyRecords) {
        const std::string prefix = std::string(key.name) + ".";
        r.emplace_back(prefix + "mode", key.offsets[0], 1, K::kFlagLike, "KeySetting",
                       "0: SIP call; 1: multicast")
            .Default(G::kKey, Number(0));
        r.emplace_back(prefix + "type", key.offsets[1], 1, K::kByte, "KeySetting",
                       "target type: 2 SIP call, 1 multicast")
            .Default(G::kKey, Number(2));
        r.emplace_back(prefix + "port", key.offsets[2], 2, K::kPortBe, "KeySetting",
                       "multicast port; 0 for a SIP call")
            .EmptyWhenZero()
            .Default(G::kKey, Number(0));
        r.emplace_back(prefix + "target", key.offsets[3], 16, K::kTextCleared, "KeySetting",
                       "SIP number or multicast address")
            .Range(0, 15)
            .Default(G::kKey, ClearedText(""));
    }
    r.emplace_back("key.prompt_tone", 694, 1, K::kFlag, "KeySetting", "1: multicast prompt tone")
        .Default(G::kKey, Number(1));
    // Control serial port.
    constexpr std::string_view kCtrl = "ControlUart";
    r.emplace_back("uart_ctrl.local_port", 208, 2, K::kPortBe, kCtrl, "local network port")
        .Default(G::kControlSerial, Number(6006));
    r.emplace_back("uart_ctrl.target_port", 210, 2, K::kPortBe, kCtrl, "target port")
        .Default(G::kControlSerial, Number(1023));
    r.emplace_back("uart_ctrl.target_ip", 212, 4, K::kIpv4, kCtrl, "target address")
        .EmptyWhenZero()
        .Default(G::kControlSerial, Text("0.0.0.0"));
    r.emplace_back("uart_ctrl.baud", 256, 2, K::kLe16, kCtrl, "baud rate / 100")
        .Default(G::kControlSerial, Number(1152));
    r.emplace_back("uart_ctrl.data_bits", 260, 1, K::kByte, kCtrl, "data bits")
        .Range(7, 8)
        .Default(G::kControlSerial, Number(8));
    r.emplace_back("uart_ctrl.parity", 261, 1, K::kByte, kCtrl,
                   "0 NONE, 1 EVEN, 2 ODD, 3 MARK, 4 SPACE")
        .Range(0, 4)
        .Default(G::kControlSerial, Number(0));
    r.emplace_back("uart_ctrl.stop_bits", 262, 1, K::kByte, kCtrl, "stop bits")
        .Range(1, 2)
        .Default(G::kControlSerial, Number(1));
    r.emplace_back("uart_ctrl.flow", 263, 1, K::kByte, kCtrl, "0 NONE, 1 RTS, 2 DUPLEX")
        .Range(0, 2)
        .Default(G::kControlSerial, Number(0));
    r.emplace_back("uart_ctrl.frame_size", 264, 2, K::kLe16, kCtrl, "frame size")
        .Default(G::kControlSerial, Number(1000));
    r.emplace_back("uart_ctrl.frame_interval", 266, 1, K::kByte, kCtrl, "frame interval, ms")
        .Default(G::kControlSerial, Number(10));
    // Data serial port.
    constexpr std::string_view kData = "DataUart";
    r.emplace_back("uart_data.local_port", 276, 2, K::kPortBe, kData, "local network port")
        .Default(G::kDataSerial, Number(6007));
    r.emplace_back("uart_data.target_port", 278, 2, K::kPortBe, kData, "target port")
        .Default(G::kDataSerial, Number(8878));
    r.emplace_back("uart_data.target_ip", 280, 4, K::kIpv4, kData, "target address")
        .EmptyWhenZero()
        .Default(G::kDataSerial, Text("0.0.0.0"));
    r.emplace_back("uart_data.protocol", 284, 1, K::kByte, kData, "0 UDP, 1 TCP, 2 REAL-COM")
        .Range(0, 2)
        .Default(G::kDataSerial, Number(0));
    r.emplace_back("uart_data.mode", 285, 1, K::kByte, kData, "0 server, 1 auto, 2 client")
        .Range(0, 2)
        .Default(G::kDataSerial, Number(1));
    r.emplace_back("uart_data.keepalive", 287, 1, K::kByte, kData, "network keep-alive, seconds")
        .Default(G::kDataSerial, Number(10));
    r.emplace_back("uart_data.baud", 324, 2, K::kLe16, kData, "baud rate / 100")
        .Default(G::kDataSerial, Number(96));
    r.emplace_back("uart_data.data_bits", 328, 1, K::kByte, kData, "data bits")
        .Range(7, 8)
        .Default(G::kDataSerial, Number(8));
    r.emplace_back("uart_data.parity", 329, 1, K::kByte, kData,
                   "0 NONE, 1 EVEN, 2 ODD, 3 MARK, 4 SPACE")
        .Range(0, 4)
        .Default(G::kDataSerial, Number(0));
    r.emplace_back("uart_data.stop_bits", 330, 1, K::kByte, kData, "stop bits")
        .Range(1, 2)
        .Default(G::kDataSerial, Number(1));
    r.emplace_back("uart_data.flow", 331, 1, K::kByte, kData, "0 NONE, 1 RTS, 2 DUPLEX")
        .Range(0, 2)
        .Default(G::kDataSerial, Number(0));
    r.emplace_back("uart_data.max_frame", 332, 2, K::kLe16, kData, "maximum frame, bytes")
        .Range(0, 1440)
        .Default(G::kDataSerial, Number(1000));
    r.emplace_back("uart_data.frame_interval", 334, 1, K::kByte, kData, "frame interval, ms")
        .Default(G::kDataSerial, Number(10));
    // Event server and time.
    r.emplace_back("event_server", 688, 4, K::kIpv4, "GPIO", "event server address")
        .Default(G::kEventServer, Text("0.0.0.0"));
    r.emplace_back("timezone", 696, 2, K::kSignedLe16, "DevMaintenance",
                   "time zone, e.g. +08:00 (minutes east of UTC)")
        .Form(TTextForm::kTimeZone);
    r.emplace_back("time_server1", 700, 4, K::kIpv4, "DevMaintenance", "time server 1")
        .EmptyWhenZero();
    r.emplace_back("time_server2", 704, 4, K::kIpv4, "DevMaintenance", "time server 2")
        .EmptyWhenZero();

    std::vector<TParamField> fields(r.begin(), r.end());
    std::stable_sort(fields.begin(), fields.end(), [](const TParamField& a, const TParamField& b) {
        return a.offset < b.offset;
    });
    return fields;
}

constexpr TByteRange kReserved[] = {
    {0, 1},     {76, 79},   {166, 169},   {172, 175}, {180, 180}, {183, 185}, {188, 207},
    {216, 255}, {258, 259}, {267, 275},   {286, 286}, {288, 323}, {326, 327}, {335, 343},
    {364, 431}, {434, 435}, {452, 467},   {469, 469}, {472, 479}, {500, 519}, {536, 547},
    {580, 615}, {636, 637}, {640, 659},   {676, 682}, {684, 687}, {692, 692}, {695, 695},
    {698, 699}, {708, 713}, {715, 717},   {719, 720}, {722, 759}, {764, 795}, {828, 859},
    {933, 933}, {935, 935}, {1144, 1355},
};

std::uint16_t Be16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] << 8 | p[1]);
}
std::uint16_t Le16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[1] << 8 | p[0]);
}

void CopyToMirror(TParamBlock& block, const TParamField& field) {
    if (field.mirror.empty()) return;
    const TParamField& to = ParamField(field.mirror);
    std::memcpy(block.data() + to.offset, block.data() + field.offset,
                std::min(field.width, to.width));
}

bool IsNumericKind(TFieldKind kind) {
    switch (kind) {
        case K::kPortBe:
        case K::kLe16:
        case K::kSignedLe16:
        case K::kLe32:
        case K::kFlag:
        case K::kFlagLike:
        case K::kByte:
            return true;
        default:
            return false;
    }
}

std::optional<std::int64_t> WholeNumber(std::string_view text) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    std::int64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return value;
}

std::size_t Utf8Characters(std::string_view text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

std::optional<int> CodecCode(std::string_view text) {
    for (int code = kCodecPcmu; code <= kCodecG722; ++code)
        if (text == std::to_string(code) || text == CodecName(code)) return code;
    return std::nullopt;
}

std::string ParseCodecs(TParamBlock& block, const TParamField& field, std::string_view text) {
    std::vector<int> codes;
    while (!text.empty()) {
        const std::size_t comma = text.find(',');
        const std::string_view item = TrimBlanks(text.substr(0, comma));
        const std::optional<int> code = CodecCode(item);
        if (!code || std::find(codes.begin(), codes.end(), *code) != codes.end())
            return field.name + ": \"" + std::string(item) +
                   "\" is not a codec (1, 2 or 3, each once)";
        codes.push_back(*code);
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
    }
    SetCodecs(block, field, codes);
    return {};
}

std::string ParseNumber(TParamBlock& block, const TParamField& field, std::string_view text) {
    std::optional<std::int64_t> value = WholeNumber(text);
    if (field.form == TTextForm::kTimeZone) {
        const auto zones = TimeZoneTexts();
        // Minutes outside the field's range name no zone; they never reach the text conversion.
        const bool inRange = value && *value >= field.min && *value <= field.max;
        const std::string zone = !value    ? std::string(text)
                                 : inRange ? TimeZoneText(static_cast<int>(*value))
                                           : "";
        if (std::find(zones.begin(), zones.end(), zone) == zones.end())
            return field.name + ": \"" + std::string(text) +
                   "\" is not one of the time zones -12:00 to +14:00";
        value = TimeZoneMinutes(zone);
    }
    if (!value || *value < field.min || *value > field.max)
        return field.name + ": \"" + std::string(text) + "\" is not a number from " +
               std::to_string(field.min) + " to " + std::to_string(field.max);
    SetFieldInt(block, field, *value);
    return {};
}

}  // namespace

const std::vector<TParamField>& ParamFields() {
    static const std::vector<TParamField> fields = BuildFields();
    return fields;
}

const TParamField* FindParamField(std::string_view name) {
    static const std::unordered_map<std::string_view, const TParamField*> byName = [] {
        std::unordered_map<std::string_view, const TParamField*> map;
        for (const TParamField& field : ParamFields())
            map.emplace(field.name, &field);
        return map;
    }();
    const auto it = byName.find(name);
    return it == byName.end() ? nullptr : it->second;
}

const TParamField& ParamField(std::string_view name) {
    const TParamField* field = FindParamField(name);
    if (!field) {
        std::fprintf(stderr, "unknown parameter field %.*s\n", static_cast<int>(name.size()),
                     name.data());
        std::abort();
    }
    return *field;
}

std::span<const TByteRange> ReservedRanges() {
    return kReserved;
}

std::span<const TKeyRecordInstance> KeyRecords() {
    return kKeyRecords;
}

std::int64_t GetFieldInt(const TParamBlock& block, const TParamField& field) {
    const std::uint8_t* p = block.data() + field.offset;
    switch (field.kind) {
        case K::kPortBe:
            return Be16(p);
        case K::kLe16:
            return Le16(p);
        case K::kSignedLe16:
            return static_cast<std::int16_t>(Le16(p));
        case K::kLe32:
            return std::int64_t{p[0]} | std::int64_t{p[1]} << 8 | std::int64_t{p[2]} << 16 |
                   std::int64_t{p[3]} << 24;
        case K::kFlag:
            return p[0] == 1 ? 1 : 0;
        case K::kFlagLike:
            return p[0] != 0 ? 1 : 0;
        case K::kByte:
            return p[0];
        default:
            return 0;
    }
}

void SetFieldInt(TParamBlock& block, const TParamField& field, std::int64_t value) {
    std::uint8_t* p = block.data() + field.offset;
    const auto v = static_cast<std::uint64_t>(value);
    switch (field.kind) {
        case K::kPortBe:
            p[0] = static_cast<std::uint8_t>(v >> 8);
            p[1] = static_cast<std::uint8_t>(v);
            break;
        case K::kLe16:
        case K::kSignedLe16:
            p[0] = static_cast<std::uint8_t>(v);
            p[1] = static_cast<std::uint8_t>(v >> 8);
            break;
        case K::kLe32:
            for (int i = 0; i < 4; ++i)
                p[i] = static_cast<std::uint8_t>(v >> (8 * i));
            break;
        case K::kFlag:
        case K::kFlagLike:
            p[0] = value != 0 ? 1 : 0;
            break;
        case K::kByte:
            p[0] = static_cast<std::uint8_t>(v);
            break;
        default:
            return;
    }
    CopyToMirror(block, field);
}

std::string GetFieldText(const TParamBlock& block, const TParamField& field) {
    return FixedToStr(block.data() + field.offset, field.width);
}

void SetFieldText(TParamBlock& block, const TParamField& field, std::string_view utf8) {
    std::uint8_t* p = block.data() + field.offset;
    if (field.kind == K::kTextCleared) std::memset(p, 0, field.width);
    StrToFixed(utf8, p, field.width);
    CopyToMirror(block, field);
}

std::string GetFieldIp(const TParamBlock& block, const TParamField& field) {
    return IpToText(block.data() + field.offset);
}

void SetFieldIp(TParamBlock& block, const TParamField& field, std::string_view text) {
    const TIpBytes ip = TextToIpField(TrimBlanks(text));
    std::copy(ip.begin(), ip.end(), block.begin() + field.offset);
    CopyToMirror(block, field);
}

std::vector<int> GetCodecs(const TParamBlock& block, const TParamField& field) {
    std::vector<int> codes;
    for (std::size_t i = 0; i < field.width; ++i) {
        const int code = block[field.offset + i];
        if (!CodecName(code).empty() && std::find(codes.begin(), codes.end(), code) == codes.end())
            codes.push_back(code);
    }
    return codes;
}

void SetCodecs(TParamBlock& block, const TParamField& field, std::span<const int> codes) {
    for (std::size_t i = 0; i < field.width; ++i)
        block[field.offset + i] = i < codes.size() ? static_cast<std::uint8_t>(codes[i]) : 0;
}

namespace {
const TParamField& KeyMember(std::size_t key, std::string_view member) {
    return ParamField(std::string(kKeyRecords[key].name) + "." + std::string(member));
}
const TParamField& MonitorMember(std::size_t entry, std::string_view member) {
    return ParamField("monitor" + std::to_string(entry + 1) + "." + std::string(member));
}
}  // namespace

TKeyRecordValue GetKeyRecord(const TParamBlock& block, std::size_t key) {
    TKeyRecordValue value;
    value.multicast = GetFieldInt(block, KeyMember(key, "mode")) != 0;
    value.target = GetFieldText(block, KeyMember(key, "target"));
    if (value.multicast) value.port = static_cast<int>(GetFieldInt(block, KeyMember(key, "port")));
    return value;
}

void SetKeyRecord(TParamBlock& block, std::size_t key, const TKeyRecordValue& value) {
    const TParamField& port = KeyMember(key, "port");
    SetFieldText(block, KeyMember(key, "target"), "");  // cleared before writing
    SetFieldInt(block, port, 0);
    SetFieldInt(block, KeyMember(key, "mode"), value.multicast ? 1 : 0);
    SetFieldInt(block, KeyMember(key, "type"), value.multicast ? 1 : 2);
    SetFieldText(block, KeyMember(key, "target"), value.target);
    if (value.multicast) SetFieldInt(block, port, value.port);
}

TMonitorRows GetMonitorRows(const TParamBlock& block) {
    TMonitorRows rows;
    for (std::size_t k = 0; k < kMonitorEntries; ++k) {
        const std::int64_t priority = GetFieldInt(block, MonitorMember(k, "priority"));
        if (priority > static_cast<std::int64_t>(kMonitorEntries)) continue;
        TMonitorRow& row = rows[priority == 0 ? 0 : priority - 1];
        row.address = GetFieldText(block, MonitorMember(k, "address"));
        row.port = static_cast<int>(GetFieldInt(block, MonitorMember(k, "port")));
    }
    return rows;
}

void SetMonitorRows(TParamBlock& block, const TMonitorRows& rows) {
    for (std::size_t k = 0; k < kMonitorEntries; ++k) {
        SetFieldInt(block, MonitorMember(k, "number"), static_cast<std::int64_t>(k));
        SetFieldInt(block, MonitorMember(k, "priority"), static_cast<std::int64_t>(k + 1));
        SetFieldInt(block, MonitorMember(k, "port"), rows[k].port);
        SetFieldText(block, MonitorMember(k, "address"), rows[k].address);
    }
}

std::string_view CodecName(int code) {
    switch (code) {
        case kCodecPcmu:
            return "G.711u(PCMU)";
        case kCodecPcma:
            return "G.711a(PCMA)";
        case kCodecG722:
            return "G.722";
        default:
            return {};
    }
}

std::string FormatFieldValue(const TParamBlock& block, const TParamField& field) {
    switch (field.kind) {
        case K::kText:
        case K::kTextCleared:
            return GetFieldText(block, field);
        case K::kIpv4: {
            const std::string text = GetFieldIp(block, field);
            return field.zeroShownEmpty && text == "0.0.0.0" ? std::string() : text;
        }
        case K::kCodecList: {
            std::string text;
            for (int code : GetCodecs(block, field))
                text += (text.empty() ? "" : ",") + std::to_string(code);
            return text;
        }
        case K::kMac:
            return MacToText(block.data() + field.offset);
        case K::kBytes: {
            std::string text;
            char pair[3];
            for (std::size_t i = 0; i < field.width; ++i) {
                std::snprintf(pair, sizeof pair, "%02X", block[field.offset + i]);
                text += pair;
            }
            return text;
        }
        default:
            break;
    }
    const std::int64_t value = GetFieldInt(block, field);
    if (field.form == TTextForm::kTimeZone) return TimeZoneText(static_cast<int>(value));
    if (field.zeroShownEmpty && value == 0) return {};
    return std::to_string(value);
}

std::string CodePageRefusal(std::string_view name, std::string_view text) {
    if (FitsDeviceCodePage(text)) return {};
    if (SanitizeUtf8(text) != text) return std::string(name) + ": the text is not UTF-8";
    return std::string(name) + ": \"" + SanitizeUtf8(text) + "\" has characters that the " +
           DeviceCodePage() + " code page cannot hold";
}

std::string ParseFieldValue(TParamBlock& block, const TParamField& field, std::string_view text) {
    if (field.readOnly) return field.name + ": the field is read only";
    text = TrimBlanks(text);
    if (std::string refused = CodePageRefusal(field.name, text); !refused.empty()) return refused;
    switch (field.kind) {
        case K::kText:
        case K::kTextCleared:
            if (Utf8Characters(text) > static_cast<std::size_t>(field.max))
                return field.name + ": at most " + std::to_string(field.max) + " characters";
            if (ToDeviceBytes(text).size() > field.width - 1u)
                return field.name + ": the text does not fit its " + std::to_string(field.width) +
                       "-byte field";
            SetFieldText(block, field, text);
            return {};
        case K::kIpv4:
            // An address the encoder would store as 0.0.0.0 is refused rather than lost.
            if (!text.empty() && text != "0.0.0.0" && !IsValidIP(text))
                return field.name + ": \"" + std::string(text) + "\" is not an IPv4 address";
            SetFieldIp(block, field, text);
            return {};
        case K::kCodecList:
            return ParseCodecs(block, field, text);
        default:
            break;
    }
    if (!IsNumericKind(field.kind)) return field.name + ": the field is read only";
    if (text.empty() && field.zeroShownEmpty) text = "0";
    return ParseNumber(block, field, text);
}
