#include "manager/params/paramfamily.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "manager/access/addresstext.h"

namespace {

TParamBlock WithModel(const std::string& model, std::uint8_t features = 0) {
    TParamBlock block;
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<std::uint8_t>(0x30 + i % 11);
    std::fill_n(block.begin() + kParamModelOffset, kParamModelWidth, 0);
    StrToFixed(model, block.data() + kParamModelOffset, kParamModelWidth);
    std::fill_n(block.begin() + 8, 4, 0);
    block[8] = features;
    return block;
}

TEST(ModelFamilies, UpperCasedContainmentFirstRowWins) {
    const struct {
        const char* model;
        int family;
    } cases[] = {
        {"SIP310", 310},       {"IP-SIP318X", 310},
        {"SIP525", 520},       {"SIP430", 430},
        {"xsip1601-b", 1601},  {"SIP1401", 1601},
        {"SIP4601", 460},      {"SIP650", 650},
        {"SIP520SIP310", 310},  // both rows match: the first row wins
        {"SIP52", 0},          {"", 0},
        {"PA-100", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FamilyNumber(ModelFamily(c.model)), c.family) << c.model;
        EXPECT_EQ(FamilyNumber(BlockFamily(WithModel(c.model))), c.family) << c.model;
    }
    EXPECT_EQ(DefaultParamFileName(ModelFamily("SIP1203")), "default1601.dps");
    EXPECT_EQ(DefaultParamFileName(TModelFamily::kNone), "");
    EXPECT_EQ(FamilyDefaultValues(TModelFamily::k460)->autoAnswer, 5);
    EXPECT_EQ(FamilyDefaultValues(TModelFamily::k520)->multicastGain, 18);
    EXPECT_FALSE(FamilyDefaultValues(TModelFamily::kNone));
}

std::vector<std::string> Shown(TModelFamily family, bool dataPort) {
    std::vector<std::string> names;
    for (const TPageEntry& entry : PageTable())
        if (IsPageShown(entry, family, dataPort)) names.emplace_back(entry.name);
    return names;
}

TEST(PageTable, EntriesShownPerFamilyAndFeatureBit) {
    using V = std::vector<std::string>;
    EXPECT_EQ(Shown(TModelFamily::k520, false),
              (V{"RunInfo", "BaseParam", "AccountInfo", "IntercomSetting", "MulticastSetting",
                 "MonitorMulticast", "AddressBook", "LocalContacts", "MulticastList", "Extended",
                 "ControlUart", "DevMaintenance"}));
    EXPECT_EQ(Shown(TModelFamily::k650, true),
              (V{"RunInfo", "BaseParam", "AccountInfo", "MulticastSetting", "KeySetting",
                 "Extended", "ControlUart", "DataUart", "GPIO", "DevMaintenance"}));
    EXPECT_EQ(Shown(TModelFamily::kNone, false), (V{"RunInfo", "BaseParam", "AccountInfo",
                                                    "Extended", "ControlUart", "DevMaintenance"}));
    EXPECT_EQ(FindPage("DataUart")->parent, "Extended");
    EXPECT_EQ(FindPage("LocalContacts")->page, "tbShtBookContact");
    EXPECT_EQ(PageTranslationKey("GPIO"), "Pelmora/TFrmProperty/OrgTreeView/GPIO");
}

TEST(BuiltInDefaults, GroupsFollowTheFamilyAndKeptFieldsStay) {
    const TParamBlock terminal430 = WithModel("SIP430");
    TParamBlock block = terminal430;
    ApplyBuiltInDefaults(block, "10.1.1.2");
    const struct {
        const char* field;
        const char* value;
    } expected430[] = {
        {"ip", "10.1.1.10"},
        {"mask", "255.0.0.0"},
        {"gateway", "10.1.1.1"},
        {"dns1", ""},
        {"dhcp", "1"},
        {"mgmt.port", "8877"},
        {"mgmt.server", "10.1.1.2"},
        {"sip.server", "0.0.0.0"},
        {"keepalive", "30"},
        {"display_name", ""},
        {"talk.gain", "20"},
        {"multicast.gain", "20"},
        {"talk.echo", "1"},
        {"talk.auto_answer", "30"},
        {"talk.codecs", "1,2,3"},
        {"monitor.volume", "90"},
        {"monitor.volume_copy", "90"},
        {"key1.mode", "0"},
        {"key2.type", "2"},
        {"key4.target", ""},
        {"key.prompt_tone", "1"},
        {"uart_ctrl.baud", "1152"},
        {"uart_data.local_port", "6007"},
        {"maint.user", ""},
    };
    for (const auto& e : expected430)
        EXPECT_EQ(FormatFieldValue(block, ParamField(e.field)), e.value) << e.field;
    // Family 430 receives no monitor group; the other five codec bytes, the expiry, the time
    // zone and every reserved byte are kept.
    for (std::size_t i = 944; i < 1144; ++i)
        EXPECT_EQ(block[i], terminal430[i]) << i;
    for (std::size_t i = 927; i < 932; ++i)
        EXPECT_EQ(block[i], terminal430[i]) << i;
    for (const char* kept : {"expiry", "timezone", "time_server1", "model", "run_status",
                             "display_name_copy", "sip.user_copy"})
        EXPECT_EQ(FormatFieldValue(block, ParamField(kept)),
                  FormatFieldValue(terminal430, ParamField(kept)))
            << kept;
    for (const TByteRange& range : ReservedRanges())
        for (std::size_t i = range.first; i <= range.last; ++i)
            EXPECT_EQ(block[i], terminal430[i]) << i;
    // The SIP server field: "0.0.0.0" and 57 zero bytes.
    std::vector<std::uint8_t> sipServer(64, 0);
    std::copy_n("0.0.0.0", 7, sipServer.begin());
    EXPECT_EQ(std::vector<std::uint8_t>(block.begin() + 860, block.begin() + 924), sipServer);

    // Family 310 receives the monitor group: first address byte and port of every entry zero.
    TParamBlock block310 = WithModel("SIP310");
    ApplyBuiltInDefaults(block310, "");
    for (std::size_t k = 0; k < kMonitorEntries; ++k) {
        const std::size_t at = 944 + 20 * k;
        EXPECT_EQ(block310[at + 2] | block310[at + 3] | block310[at + 4], 0) << k;
        EXPECT_NE(block310[at + 5], 0) << k;
    }
    // No family: talk, multicast, key and monitor fields stay.
    TParamBlock none = WithModel("PA-100");
    ApplyBuiltInDefaults(none, "");
    EXPECT_EQ(FormatFieldValue(none, ParamField("talk.gain")),
              FormatFieldValue(WithModel("PA-100"), ParamField("talk.gain")));
    EXPECT_EQ(FormatFieldValue(none, ParamField("ip")), "10.1.1.10");
}

}  // namespace
