// The initial parameter block of a simulated terminal, built through the block's field table,
// the run status it reports, and the identity accessors of its state.
#include <algorithm>
#include <cstring>

#include "manager/params/paramfamily.h"
#include "termsim/fleet.h"

namespace termsim {
namespace {

// A model of no family still gets plausible values.
constexpr TFamilyDefaults kNoFamily{20, 20, 1, 90, 90, 90, 30};

// Families whose terminals have the data serial port and the event server (feature bit 3).
bool HasDataPortModel(TModelFamily family) {
    return family == TModelFamily::k1601 || family == TModelFamily::k460 ||
           family == TModelFamily::k650;
}

// The activities a terminal goes through while the fleet runs: registered and idle, playing,
// in a call, registering again, an activity code without a text of its own.
constexpr std::uint8_t kStatusCycle[] = {0x40, 0x48, 0x40, 0x58, 0x59, 0x5A, 0x00, 0x41};

std::string GetText(const TBlock& b, std::string_view name) {
    const TParamField& field = ParamField(name);
    const auto* p = reinterpret_cast<const char*>(&b[field.offset]);
    return std::string(p, strnlen(p, field.width));
}

}  // namespace

std::uint8_t ReservedByte(std::size_t offset) {
    return static_cast<std::uint8_t>(0x80 | (offset & 0x7F));
}

const std::vector<std::string>& DefaultModels() {
    static const std::vector<std::string> kModels{"SIP310",  "SIP520", "SIP430",
                                                  "SIP1601", "SIP460", "SIP650"};
    return kModels;
}

TBlock MakeInitialBlock(const std::string& model, const std::string& firmware, const TMac& mac,
                        std::uint32_t address, std::uint32_t account,
                        const std::string& displayNameUtf8, const std::string& loginUser,
                        const std::string& loginPassword) {
    const TModelFamily family = ModelFamily(model);
    const TFamilyDefaults values = FamilyDefaultValues(family).value_or(kNoFamily);
    TParamBlock b;
    // Reserved bytes carry a pattern, so that a manager that loses them is caught end to end.
    for (const TByteRange& range : ReservedRanges())
        for (std::size_t i = range.first; i <= range.last; ++i)
            b[i] = ReservedByte(i);
    // Every field's built-in default, the family groups included whatever the family.
    for (const TParamField& field : ParamFields())
        ApplyFieldDefault(b, field, values, "");
    TMonitorRows noEntries;
    SetMonitorRows(b, noEntries);
    // Identity and run state.
    std::copy(mac.begin(), mac.end(), b.begin() + ParamField("mac").offset);
    SetFieldInt(b, ParamField("features"), HasDataPortModel(family) ? kFeatureDataPort : 0);
    SetFieldText(b, ParamField("model"), model);
    SetFieldText(b, ParamField("firmware"), firmware);
    SetFieldText(b, ParamField("maint.user"), loginUser);
    SetFieldText(b, ParamField("maint.password"), loginPassword);
    SetFieldInt(b, ParamField("run_status"), kStatusCycle[0]);
    // Its own address, account and name; registration expiry and time zone of a fresh terminal.
    SetFieldIp(b, ParamField("ip"), AddressText(address));
    SetFieldText(b, ParamField("sip.user"), std::to_string(account));
    SetFieldText(b, ParamField("display_name"), displayNameUtf8);
    SetFieldInt(b, ParamField("expiry"), 3600);
    SetFieldInt(b, ParamField("timezone"), 480);
    return b.bytes;
}

std::uint8_t RunStatusAt(Clock::duration sinceStart, std::chrono::milliseconds period, int index) {
    if (period.count() <= 0) return kStatusCycle[0];
    const auto step =
        static_cast<std::size_t>(sinceStart / period) + static_cast<std::size_t>(index);
    return kStatusCycle[step % std::size(kStatusCycle)];
}

TMac TerminalState::Mac() const {
    TMac mac;
    std::copy_n(block.begin() + ParamField("mac").offset, 6, mac.begin());
    return mac;
}

std::string TerminalState::Model() const {
    return GetText(block, "model");
}
std::string TerminalState::Firmware() const {
    return GetText(block, "firmware");
}
void TerminalState::SetFirmware(const std::string& version) {
    const TParamField& field = ParamField("firmware");
    std::fill_n(block.begin() + field.offset, field.width, 0);
    std::memcpy(&block[field.offset], version.data(),
                std::min<std::size_t>(version.size(), field.width - 1));
}

std::uint32_t TerminalState::BlockAddress() const {
    const std::size_t at = ParamField("ip").offset;
    return (std::uint32_t{block[at]} << 24) | (std::uint32_t{block[at + 1]} << 16) |
           (std::uint32_t{block[at + 2]} << 8) | block[at + 3];
}

std::string AddressText(std::uint32_t a) {
    return std::to_string(a >> 24) + "." + std::to_string((a >> 16) & 0xFF) + "." +
           std::to_string((a >> 8) & 0xFF) + "." + std::to_string(a & 0xFF);
}

std::string TargetsText(std::uint32_t firstAddress, int count) {
    const auto last = firstAddress + static_cast<std::uint32_t>(count > 0 ? count - 1 : 0);
    return AddressText(firstAddress) + "-" + AddressText(last);
}

}  // namespace termsim
