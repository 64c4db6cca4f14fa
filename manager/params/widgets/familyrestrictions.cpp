#include "manager/params/widgets/familyrestrictions.h"

#include "manager/params/paramfamily.h"

namespace {

constexpr std::uint8_t k310 = FamilyBit(TModelFamily::k310);
constexpr std::uint8_t k520 = FamilyBit(TModelFamily::k520);
constexpr std::uint8_t k430 = FamilyBit(TModelFamily::k430);
constexpr std::uint8_t k460 = FamilyBit(TModelFamily::k460);
constexpr std::uint8_t k650 = FamilyBit(TModelFamily::k650);

// A key's controls: its list and its two rows.
#define PELMORA_KEY(n) " cmbBoxKey_" #n "Mode pnlKey_" #n "Sip pnlKey_" #n "Multicast"

constexpr TFamilyRestriction kRestrictions[] = {
    {"IntercomSetting", k310 | k520 | k460, "rdBtnTalk_Mic rdBtnTalk_LineIn", false},
    {"IntercomSetting", k520 | k430 | k460, "chkBoxTalk_RingLine chkBoxTalk_TalkLine", true},
    // The input gain and the echo level with their default buttons, the call-key hang-up.
    {"IntercomSetting", k460,
     "spEdtTalk_Gain btnTalk_DefGain cmbBoxTalk_Aec btnTalk_DefAec rdBtnKey_ModeEnable "
     "rdBtnKey_ModeDisable",
     false},
    {"IntercomSetting", k460, "chkBoxTalk_RingHangup", true},
    {"MulticastSetting", k310 | k520, "rdBtnMulticast_Mic rdBtnMulticast_LineIn", false},
    {"KeySetting", k310 | k430 | k650, PELMORA_KEY(4), false},
    {"KeySetting", k430 | k650, PELMORA_KEY(2) PELMORA_KEY(3), false},
};

#undef PELMORA_KEY

}  // namespace

std::span<const TFamilyRestriction> FamilyRestrictions() {
    return kRestrictions;
}

QStringList ControlNames(const TFamilyRestriction& restriction) {
    return QString::fromUtf8(restriction.controls.data(),
                             static_cast<qsizetype>(restriction.controls.size()))
        .split(' ', Qt::SkipEmptyParts);
}
