// The initial parameter block of a simulated terminal and the identity accessors of its state.
#include <algorithm>
#include <cstring>

#include "common/textcodec.h"
#include "termsim/fleet.h"

namespace termsim {
namespace {

struct FamilyDefaults {
    const char* name;  // contained in the upper-cased model name
    std::uint8_t talkGain, multicastGain, echo, talkVolume, ringVolume, playVolume, autoAnswer;
    bool dataPort;  // feature bit 3: data serial port and event server
};

// Tried from top to bottom, first match wins (the families of the device catalogue).
constexpr FamilyDefaults kFamilies[] = {
    {"SIP310", 20, 16, 1, 90, 90, 90, 30, false}, {"SIP315", 20, 16, 1, 90, 90, 90, 30, false},
    {"SIP318", 20, 16, 1, 90, 90, 90, 30, false}, {"SIP520", 20, 18, 1, 90, 90, 90, 30, false},
    {"SIP525", 20, 18, 1, 90, 90, 90, 30, false}, {"SIP430", 20, 20, 1, 90, 90, 90, 30, false},
    {"SIP1601", 20, 20, 1, 90, 90, 90, 30, true}, {"SIP1603", 20, 20, 1, 90, 90, 90, 30, true},
    {"SIP1403", 20, 20, 1, 90, 90, 90, 30, true}, {"SIP1203", 20, 20, 1, 90, 90, 90, 30, true},
    {"SIP1201", 20, 20, 1, 90, 90, 90, 30, true}, {"SIP1401", 20, 20, 1, 90, 90, 90, 30, true},
    {"SIP460", 0, 0, 0, 90, 90, 90, 5, true},     {"SIP4601", 0, 0, 0, 90, 90, 90, 5, true},
    {"SIP650", 20, 20, 0, 0, 0, 0, 0, true},
};
// A model of no family still gets plausible values.
constexpr FamilyDefaults kNoFamily{"", 20, 20, 1, 90, 90, 90, 30, false};

const FamilyDefaults& FamilyOf(const std::string& model) {
    std::string upper = model;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    for (const auto& f : kFamilies)
        if (upper.find(f.name) != std::string::npos) return f;
    return kNoFamily;
}

void PutBe16(TBlock& b, std::size_t at, std::uint16_t v) {
    b[at] = static_cast<std::uint8_t>(v >> 8);
    b[at + 1] = static_cast<std::uint8_t>(v);
}
void PutLe16(TBlock& b, std::size_t at, std::uint16_t v) {
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void PutIp(TBlock& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}
// Device bytes (already encoded) into a zero-filled field: at most width-1 bytes and a zero.
void PutText(TBlock& b, std::size_t at, std::size_t width, const std::string& bytes) {
    std::fill_n(b.begin() + at, width, 0);
    std::memcpy(&b[at], bytes.data(), std::min(bytes.size(), width - 1));
}
std::string GetText(const TBlock& b, std::size_t at, std::size_t width) {
    const auto* p = reinterpret_cast<const char*>(&b[at]);
    return std::string(p, strnlen(p, width));
}
void PutKeyRecord(TBlock& b, std::size_t at) {  // SIP call, empty target
    b[at] = 0;
    b[at + 1] = 2;
    PutBe16(b, at + 2, 0);
    std::fill_n(b.begin() + at + 4, 16, 0);
}

}  // namespace

const std::vector<std::string>& DefaultModels() {
    static const std::vector<std::string> kModels{"SIP310",  "SIP520", "SIP430",
                                                  "SIP1601", "SIP460", "SIP650"};
    return kModels;
}

TBlock MakeInitialBlock(const std::string& model, const std::string& firmware, const TMac& mac,
                        std::uint32_t address, std::uint32_t account,
                        const std::string& displayNameUtf8, const std::string& loginUser,
                        const std::string& loginPassword) {
    const FamilyDefaults& fam = FamilyOf(model);
    TBlock b{};
    // Identity and run state.
    std::copy(mac.begin(), mac.end(), b.begin() + 2);
    b[8] = fam.dataPort ? 0x08 : 0x00;
    PutText(b, 12, 32, ToDeviceBytes(model));
    PutText(b, 44, 32, ToDeviceBytes(firmware));
    PutText(b, 80, 16, ToDeviceBytesLimited(loginUser, 15));
    PutText(b, 96, 16, ToDeviceBytesLimited(loginPassword, 15));
    b[170] = 0x40;  // registered, idle
    // Network and management server.
    PutIp(b, 144, address);
    PutIp(b, 148, 0xFF000000);
    PutIp(b, 152, 0x0A010101);
    b[164] = 1;
    b[165] = 1;
    PutBe16(b, 176, 8877);
    // SIP account.
    PutText(b, 660, 16, std::to_string(account));
    PutText(b, 796, 32, ToDeviceBytesLimited(displayNameUtf8, 31));
    std::copy_n(b.begin() + 796, 16, b.begin() + 112);
    std::copy_n(b.begin() + 660, 16, b.begin() + 128);
    PutLe16(b, 762, 3600);
    PutText(b, 860, 64, "0.0.0.0");
    b[934] = 30;
    // Talk.
    b[171] = fam.autoAnswer;
    b[179] = fam.talkVolume;
    b[186] = fam.talkGain;
    b[187] = 1;
    b[468] = fam.echo;
    b[693] = 1;
    b[714] = 1;
    b[718] = fam.ringVolume;
    b[924] = 1, b[925] = 2, b[926] = 3;
    // Multicast and monitor.
    b[178] = fam.playVolume;
    b[721] = fam.multicastGain;
    b[932] = fam.playVolume;
    b[936] = 1, b[937] = 2, b[938] = 3;
    for (int k = 0; k < 10; ++k) {
        b[944 + 20 * k] = static_cast<std::uint8_t>(k);
        b[945 + 20 * k] = static_cast<std::uint8_t>(k + 1);
    }
    // Keys.
    PutKeyRecord(b, 344);
    b[432] = 0;
    b[433] = 2;
    PutKeyRecord(b, 480);
    PutKeyRecord(b, 616);
    b[694] = 1;
    // Control serial port.
    PutBe16(b, 208, 6006);
    PutBe16(b, 210, 1023);
    PutLe16(b, 256, 1152);
    b[260] = 8;
    b[262] = 1;
    PutLe16(b, 264, 1000);
    b[266] = 10;
    // Data serial port.
    PutBe16(b, 276, 6007);
    PutBe16(b, 278, 8878);
    b[285] = 1;
    b[287] = 10;
    PutLe16(b, 324, 96);
    b[328] = 8;
    b[330] = 1;
    PutLe16(b, 332, 1000);
    b[334] = 10;
    // Time: UTC+08:00.
    PutLe16(b, 696, 480);
    return b;
}

TMac TerminalState::Mac() const {
    TMac mac;
    std::copy_n(block.begin() + 2, 6, mac.begin());
    return mac;
}

std::string TerminalState::Model() const {
    return GetText(block, 12, 32);
}
std::string TerminalState::Firmware() const {
    return GetText(block, 44, 32);
}
void TerminalState::SetFirmware(const std::string& version) {
    PutText(block, 44, 32, version);
}

std::uint32_t TerminalState::BlockAddress() const {
    return (std::uint32_t{block[144]} << 24) | (std::uint32_t{block[145]} << 16) |
           (std::uint32_t{block[146]} << 8) | block[147];
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
