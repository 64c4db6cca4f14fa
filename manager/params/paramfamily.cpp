#include "manager/params/paramfamily.h"

#include <algorithm>
#include <cstring>

#include "manager/access/addresstext.h"

namespace {

using F = TModelFamily;

struct TFamilyRow {
    TModelFamily family;
    std::string_view names[6];
    TFamilyDefaults defaults;
};

// Tried from top to bottom; the first row with a contained name wins.
constexpr TFamilyRow kFamilies[] = {
    {F::k310, {"SIP310", "SIP315", "SIP318"}, {20, 16, 1, 90, 90, 90, 30}},
    {F::k520, {"SIP520", "SIP525"}, {20, 18, 1, 90, 90, 90, 30}},
    {F::k430, {"SIP430"}, {20, 20, 1, 90, 90, 90, 30}},
    {F::k1601,
     {"SIP1601", "SIP1603", "SIP1403", "SIP1203", "SIP1201", "SIP1401"},
     {20, 20, 1, 90, 90, 90, 30}},
    {F::k460, {"SIP460", "SIP4601"}, {0, 0, 0, 90, 90, 90, 5}},
    {F::k650, {"SIP650"}, {20, 20, 0, 0, 0, 0, 0}},
};

constexpr std::uint8_t Families(std::initializer_list<TModelFamily> families) {
    std::uint8_t bits = 0;
    for (TModelFamily f : families)
        bits |= FamilyBit(f);
    return bits;
}

using W = TPageShownWhen;
constexpr TPageEntry kPages[] = {
    {"RunInfo", "运行信息", "tbShtRunInfo", "", W::kAlways, 0},
    {"BaseParam", "基本参数", "tbShtBaseParam", "", W::kAlways, 0},
    {"AccountInfo", "账号信息", "tbShtAccount", "", W::kAlways, 0},
    {"IntercomSetting", "对讲设置", "tbShtIntercom", "", W::kFamilies,
     Families({F::k310, F::k520, F::k430, F::k1601, F::k460})},
    {"MulticastSetting", "组播设置", "tbShtMulticast", "", W::kFamilies,
     Families({F::k310, F::k520, F::k430, F::k1601, F::k650})},
    {"KeySetting", "按键定义", "tbShtKeyCustom", "", W::kFamilies,
     Families({F::k310, F::k430, F::k1601, F::k650})},
    {"MonitorMulticast", "监听组播地址", "tbShtMonitor", "", W::kFamilies,
     Families({F::k310, F::k520, F::k430, F::k1601, F::k460})},
    {"AddressBook", "地址簿", "", "", W::kFamilies, Families({F::k520})},
    {"LocalContacts", "本地联系人", "tbShtBookContact", "AddressBook", W::kFamilies,
     Families({F::k520})},
    {"MulticastList", "本地组播地址", "tbShtBookMulticast", "AddressBook", W::kFamilies,
     Families({F::k520})},
    {"Extended", "扩展功能", "", "", W::kAlways, 0},
    {"ControlUart", "控制串口", "tbShtSerialCtrl", "Extended", W::kAlways, 0},
    {"DataUart", "数据串口", "tbShtSerialData", "Extended", W::kDataPort, 0},
    {"GPIO", "通用输入输出", "tbShtGpio", "", W::kDataPort, 0},
    {"DevMaintenance", "设备维护", "tbShtMaintenance", "", W::kAlways, 0},
};

// The groups each family receives from the built-in defaults beyond the common ones.
struct TFamilyGroups {
    TModelFamily family;
    bool talk, multicast, key, monitor;
};
constexpr TFamilyGroups kFamilyGroups[] = {
    {F::k310, true, true, true, true},    {F::k520, true, true, false, true},
    {F::k430, true, true, true, false},   {F::k1601, true, true, true, false},
    {F::k460, true, false, false, false}, {F::k650, false, true, true, false},
};

const TFamilyRow* RowOf(TModelFamily family) {
    for (const TFamilyRow& row : kFamilies)
        if (row.family == family) return &row;
    return nullptr;
}

}  // namespace

int TFamilyDefaults::Value(TFamilyValue column) const {
    switch (column) {
        case TFamilyValue::kTalkGain:
            return talkGain;
        case TFamilyValue::kMulticastGain:
            return multicastGain;
        case TFamilyValue::kEchoLevel:
            return echoLevel;
        case TFamilyValue::kTalkVolume:
            return talkVolume;
        case TFamilyValue::kRingVolume:
            return ringVolume;
        case TFamilyValue::kPlayVolume:
            return playVolume;
        case TFamilyValue::kAutoAnswer:
            return autoAnswer;
    }
    return 0;
}

TModelFamily ModelFamily(std::string_view modelName) {
    std::string upper(modelName);
    std::transform(upper.begin(), upper.end(), upper.begin(), [](char c) {
        return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    });
    for (const TFamilyRow& row : kFamilies)
        for (std::string_view name : row.names)
            if (!name.empty() && upper.find(name) != std::string::npos) return row.family;
    return TModelFamily::kNone;
}

std::vector<std::string_view> FamilyModelNames() {
    std::vector<std::string_view> names;
    for (const TFamilyRow& row : kFamilies)
        names.push_back(row.names[0]);
    return names;
}

TModelFamily BlockFamily(const TParamBlock& block) {
    return ModelFamily(FixedToStr(block.data() + kParamModelOffset, kParamModelWidth));
}

int FamilyNumber(TModelFamily family) {
    switch (family) {
        case F::k310:
            return 310;
        case F::k520:
            return 520;
        case F::k430:
            return 430;
        case F::k1601:
            return 1601;
        case F::k460:
            return 460;
        case F::k650:
            return 650;
        case F::kNone:
            break;
    }
    return 0;
}

std::optional<TFamilyDefaults> FamilyDefaultValues(TModelFamily family) {
    const TFamilyRow* row = RowOf(family);
    if (!row) return std::nullopt;
    return row->defaults;
}

bool HasDataPort(const TParamBlock& block) {
    return (GetFieldInt(block, ParamField("features")) & kFeatureDataPort) != 0;
}

std::string DefaultParamFileName(TModelFamily family) {
    if (family == F::kNone) return {};
    return "default" + std::to_string(FamilyNumber(family)) + ".dps";
}

std::span<const TPageEntry> PageTable() {
    return kPages;
}

const TPageEntry* FindPage(std::string_view name) {
    for (const TPageEntry& entry : kPages)
        if (entry.name == name) return &entry;
    return nullptr;
}

bool IsPageShown(const TPageEntry& entry, TModelFamily family, bool dataPort) {
    switch (entry.shownWhen) {
        case W::kAlways:
            return true;
        case W::kFamilies:
            return (entry.families & FamilyBit(family)) != 0;
        case W::kDataPort:
            return dataPort;
    }
    return false;
}

bool HasPage(const TParamBlock& block, std::string_view page) {
    const TPageEntry* entry = FindPage(page);
    return entry != nullptr && IsPageShown(*entry, BlockFamily(block), HasDataPort(block));
}

std::string NoPageText(const TParamBlock& block, std::string_view name, std::string_view page) {
    const TPageEntry* entry = FindPage(page);
    std::string why;
    if (entry && entry->shownWhen == W::kDataPort)
        why = "no data serial port";
    else if (const int family = FamilyNumber(BlockFamily(block)); family != 0)
        why = "model family " + std::to_string(family);
    else
        why = "a model without a family";
    return std::string(name) + ": the terminal has no page \"" + std::string(page) + "\" (" + why +
           ")";
}

std::string PageTranslationKey(std::string_view name) {
    return "Pelmora/TFrmProperty/OrgTreeView/" + std::string(name);
}

bool FamilyHasDefaultGroup(TModelFamily family, TDefaultGroup group) {
    switch (group) {
        case TDefaultGroup::kNone:
            return false;
        case TDefaultGroup::kTalk:
        case TDefaultGroup::kMulticast:
        case TDefaultGroup::kKey:
        case TDefaultGroup::kMonitor:
            break;
        default:
            return true;
    }
    for (const TFamilyGroups& row : kFamilyGroups) {
        if (row.family != family) continue;
        if (group == TDefaultGroup::kTalk) return row.talk;
        if (group == TDefaultGroup::kMulticast) return row.multicast;
        if (group == TDefaultGroup::kKey) return row.key;
        return row.monitor;
    }
    return false;
}

void ApplyFieldDefault(TParamBlock& block, const TParamField& field, const TFamilyDefaults& values,
                       std::string_view managementServer) {
    const TFieldDefault& d = field.def;
    switch (d.kind) {
        case TDefaultKind::kKept:
            return;
        case TDefaultKind::kNumber:
            SetFieldInt(block, field, d.number);
            return;
        case TDefaultKind::kText:
        case TDefaultKind::kClearedText:
            if (field.kind == TFieldKind::kIpv4) {
                SetFieldIp(block, field, d.text);
                return;
            }
            if (d.kind == TDefaultKind::kClearedText || field.kind == TFieldKind::kTextCleared)
                std::memset(block.data() + field.offset, 0, field.width);
            // Not SetFieldText: the copies at 112 and 128 keep their bytes, as their own default.
            StrToFixed(d.text, block.data() + field.offset, field.width);
            return;
        case TDefaultKind::kFamily:
            SetFieldInt(block, field, values.Value(d.family));
            return;
        case TDefaultKind::kManagementServer:
            SetFieldText(block, field, managementServer);
            return;
        case TDefaultKind::kCodecs123:
            for (int i = 0; i < 3; ++i)
                block[field.offset + i] = static_cast<std::uint8_t>(kCodecPcmu + i);
            return;
        case TDefaultKind::kFirstByteZero:
            block[field.offset] = 0;
            return;
    }
}

void ApplyBuiltInDefaults(TParamBlock& block, std::string_view managementServer) {
    const TModelFamily family = BlockFamily(block);
    // A family without values receives no group that uses them.
    const TFamilyDefaults values = FamilyDefaultValues(family).value_or(TFamilyDefaults{});
    for (int g = static_cast<int>(TDefaultGroup::kNetwork);
         g <= static_cast<int>(TDefaultGroup::kMaintenance); ++g) {
        const auto group = static_cast<TDefaultGroup>(g);
        if (!FamilyHasDefaultGroup(family, group)) continue;
        for (const TParamField& field : ParamFields())
            if (field.group == group) ApplyFieldDefault(block, field, values, managementServer);
    }
}
