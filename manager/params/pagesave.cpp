#include "manager/params/pagesave.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "common/textcodec.h"
#include "common/textutil.h"
#include "manager/access/addresstext.h"
#include "manager/params/pagevalues.h"
#include "manager/params/paramdevice.h"
#include "manager/params/paramfamily.h"

namespace {

// What a page's box keeps of a text it shows: as many bytes as the field can store (never half
// a character), without blanks at either end.
std::string BoxHeld(std::string_view text, const TParamField& field) {
    return std::string(TrimBlanks(FromDeviceBytes(ToDeviceBytesLimited(text, field.width - 1u))));
}

// A character field as a page writes the text it loaded: the text its box keeps, then its
// terminator; the rest of the field keeps the written block's bytes (cleared fields start from
// zeros). Bytes that do not decode in the device code page are kept as they are.
void WriteShownText(TParamBlock& block, const TParamField& field, const TParamBlock& from) {
    const std::uint8_t* source = from.data() + field.offset;
    std::size_t end = std::find(source, source + field.width, 0) - source;
    std::size_t begin = 0;
    while (begin < end && source[begin] <= 32)
        ++begin;
    while (end > begin && source[end - 1] <= 32)
        --end;
    const std::string_view bytes(reinterpret_cast<const char*>(source) + begin, end - begin);
    const std::string text = FromDeviceBytes(bytes);
    if (ToDeviceBytes(text) == bytes) {
        SetFieldText(block, field, BoxHeld(text, field));
        return;
    }
    std::uint8_t* target = block.data() + field.offset;
    if (field.kind == TFieldKind::kTextCleared) std::memset(target, 0, field.width);
    // As much as the field holds, without blanks it then ends in.
    const std::string_view kept = TrimBlanks(bytes.substr(0, field.width - 1u));
    std::memcpy(target, kept.data(), kept.size());
    target[kept.size()] = 0;
}

// Key records, monitor entries and codec lists are written by their records' own rules.
bool InRecord(const TParamField& field) {
    if (field.kind == TFieldKind::kCodecList) return true;
    if (field.offset >= kMonitorFirstOffset &&
        field.offset < kMonitorFirstOffset + kMonitorEntries * kMonitorEntryBytes)
        return true;
    for (const TKeyRecordInstance& key : KeyRecords())
        if (std::find(key.offsets.begin(), key.offsets.end(), field.offset) != key.offsets.end())
            return true;
    return false;
}

// How a page shows a stored number; the page then writes back what it shows.
struct TShownRule {
    std::string_view field;
    std::int64_t (*shown)(std::int64_t stored);
};

std::int64_t Percent(std::int64_t v) {
    return std::clamp<std::int64_t>(v, 0, 100);
}
std::int64_t ParityPosition(std::int64_t v) {
    return ShownListPosition(v, ParityTexts().size());
}
std::int64_t FlowPosition(std::int64_t v) {
    return ShownListPosition(v, FlowTexts().size());
}

constexpr TShownRule kShownRules[] = {
    {"keepalive", [](std::int64_t v) -> std::int64_t { return ShownKeepAlive(v); }},
    {"expiry", [](std::int64_t v) -> std::int64_t { return ShownExpiry(v); }},
    {"talk.gain", Percent},
    {"talk.volume", Percent},
    {"talk.ring_volume", Percent},
    {"multicast.gain", Percent},
    {"talk.echo", [](std::int64_t v) { return std::min<std::int64_t>(v, 4); }},
    {"talk.auto_answer", [](std::int64_t v) { return std::min<std::int64_t>(v, kAutoHangUp); }},
    {"monitor.volume", [](std::int64_t v) { return std::clamp<std::int64_t>(v, 60, 100); }},
    {"uart_ctrl.parity", ParityPosition},
    {"uart_data.parity", ParityPosition},
    {"uart_ctrl.flow", FlowPosition},
    {"uart_data.flow", FlowPosition},
    {"uart_data.mode",
     [](std::int64_t v) { return ShownListPosition(v, WorkingModeTexts().size()); }},
    {"uart_ctrl.data_bits", [](std::int64_t v) -> std::int64_t { return ShownDataBits(v); }},
    {"uart_data.data_bits", [](std::int64_t v) -> std::int64_t { return ShownDataBits(v); }},
    {"uart_ctrl.stop_bits", [](std::int64_t v) -> std::int64_t { return ShownStopBits(v); }},
    {"uart_data.stop_bits", [](std::int64_t v) -> std::int64_t { return ShownStopBits(v); }},
    {"uart_data.max_frame", [](std::int64_t v) { return std::clamp<std::int64_t>(v, 0, 1440); }},
    {"timezone", [](std::int64_t v) -> std::int64_t { return ShownTimeZone(v); }},
};

}  // namespace

TParamBlock SaveShownPages(const TParamBlock& shown, const TParamBlock& terminal) {
    TParamBlock block = terminal;
    // The tree is the terminal's; a page is loaded from shown only when shown has it too.
    auto written = [&](std::string_view page) { return HasPage(terminal, page); };
    auto source = [&](std::string_view page) -> const TParamBlock& {
        return HasPage(shown, page) ? shown : terminal;
    };
    for (const TParamField& field : ParamFields()) {
        if (field.readOnly || !written(field.page) || InRecord(field)) continue;
        const TParamBlock& from = source(field.page);
        if (field.kind == TFieldKind::kText || field.kind == TFieldKind::kTextCleared)
            WriteShownText(block, field, from);
        else
            std::copy_n(from.begin() + field.offset, field.width, block.begin() + field.offset);
    }
    for (const TParamField& field : ParamFields())
        if (!field.readOnly && written(field.page) &&
            (field.kind == TFieldKind::kFlag || field.kind == TFieldKind::kFlagLike))
            SetFieldInt(block, field, GetFieldInt(block, field));  // 1 or 0 by the flag's rule
    for (const TShownRule& rule : kShownRules) {
        const TParamField& field = ParamField(rule.field);
        if (written(field.page)) SetFieldInt(block, field, rule.shown(GetFieldInt(block, field)));
    }
    // Records are read from where their page loaded them and written over the terminal's bytes.
    if (written("KeySetting"))
        for (std::size_t key = 0; key < KeyRecords().size(); ++key) {
            TKeyRecordValue value = GetKeyRecord(source("KeySetting"), key);
            const std::string target = std::string(KeyRecords()[key].name) + ".target";
            value.target = BoxHeld(value.target, ParamField(target));
            SetKeyRecord(block, key, value);
        }
    if (written("MonitorMulticast")) {
        TMonitorRows rows = GetMonitorRows(source("MonitorMulticast"));
        for (TMonitorRow& row : rows)
            row.address = BoxHeld(row.address, ParamField("monitor1.address"));
        SetMonitorRows(block, rows);
    }
    if (written("IntercomSetting"))
        SetCodecs(block, ParamField("talk.codecs"),
                  GetCodecs(source("IntercomSetting"), ParamField("talk.codecs")));
    if (written("MulticastSetting")) {
        // Only the first codec is edited; a list without a known one shows the first choice.
        const std::vector<int> codes =
            GetCodecs(source("MulticastSetting"), ParamField("multicast.codec"));
        const int code = codes.empty() ? kCodecPcmu : codes.front();
        SetCodecs(block, ParamField("multicast.codec"), std::span<const int>(&code, 1));
    }
    // The talk page writes its input choice into the multicast input too; a multicast page
    // after it writes its own.
    if (written("IntercomSetting") && !written("MulticastSetting"))
        SetFieldInt(block, ParamField("multicast.input"),
                    GetFieldInt(block, ParamField("talk.input")));
    // The account page copies the display name and the user number after writing them.
    for (const char* name : {"display_name", "sip.user"}) {
        const TParamField& field = ParamField(name);
        const TParamField& copy = ParamField(field.mirror);
        std::copy_n(block.begin() + field.offset, copy.width, block.begin() + copy.offset);
    }
    SetFieldInt(block, ParamField("uart_ctrl.frame_size"), 1000);
    if (written("DataUart")) SetFieldInt(block, ParamField("uart_data.protocol"), 1);
    return block;
}

std::string WriteRefusal(const TParamBlock& terminal) {
    if (!IsSipModel(terminal.data() + kParamModelOffset))
        return "not a SIP terminal (model \"" + GetFieldText(terminal, ParamField("model")) + "\")";
    const std::string firmware = GetFieldText(terminal, ParamField("firmware"));
    if (IsFirmwareTooOld(firmware)) return "firmware below V2.5 (\"" + firmware + "\")";
    return {};
}

std::string SaveAssignedValues(const TParamBlock& terminal,
                               std::span<const TFieldAssignment> values, TParamBlock& written) {
    TParamBlock shown = terminal;
    if (std::string refused = AssignFieldValues(shown, values); !refused.empty()) return refused;
    written = SaveShownPages(shown, terminal);
    return {};
}
