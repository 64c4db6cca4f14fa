// The block a simulated terminal starts with: built-in defaults and identity, byte for byte.
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "termsim/fleet.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes At(const termsim::TBlock& b, std::size_t offset, std::size_t n) {
    return Bytes(b.begin() + offset, b.begin() + offset + n);
}

Bytes Field(const char* text, std::size_t width) {
    Bytes f(width, 0);
    std::memcpy(f.data(), text, std::strlen(text));
    return f;
}

TEST(InitialBlock, FieldsHoldDefaultsAndIdentity) {
    const termsim::TMac mac{2, 0x4B, 0x56, 0, 0, 3};
    const auto b = termsim::MakeInitialBlock("SIP1601", "V2.6.0", mac, 0x7F000103, 8003,
                                             "Terminal 3", "admin", "50738264");
    struct Case {
        std::size_t offset;
        Bytes bytes;
    };
    const Case cases[] = {
        {2, {2, 0x4B, 0x56, 0, 0, 3}},
        {8, {8, 0, 0, 0}},  // SIP1601 has the data serial port
        {12, Field("SIP1601", 32)},
        {44, Field("V2.6.0", 32)},
        {80, Field("admin", 16)},
        {96, Field("50738264", 16)},
        {112, Field("Terminal 3", 16)},
        {128, Field("8003", 16)},
        {144, {127, 0, 1, 3, 255, 0, 0, 0, 10, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1}},
        {170, {0x40, 30}},    // run status; auto-answer 30 s
        {176, {0x22, 0xAD}},  // management port 8877
        {178, {90, 90}},
        {181, {0, 0}},
        {186, {20, 1}},
        {208, {0x17, 0x76, 0x03, 0xFF, 0, 0, 0, 0}},  // 6006, 1023, 0.0.0.0
        {256, {0x80, 0x04}},
        {260, {8, 0, 1, 0, 0xE8, 0x03, 10}},
        {276, {0x17, 0x77, 0x22, 0xAE, 0, 0, 0, 0, 0, 1}},
        {287, {10}},
        {324, {96, 0}},
        {328, {8, 0, 1, 0, 0xE8, 0x03, 10}},
        {344, {0, 2, 0, 0}},
        {432, {0, 2}},
        {468, {1}},
        {480, {0, 2, 0, 0}},
        {520, Bytes(16, 0)},
        {616, {0, 2, 0, 0}},
        {638, {0, 0}},
        {660, Field("8003", 16)},
        {693, {1, 1}},        // call-key hang-up, prompt tone
        {696, {0xE0, 0x01}},  // time zone 480
        {714, {1}},
        {718, {90}},
        {721, {20}},
        {760, {0, 0, 0x10, 0x0E}},
        {796, Field("Terminal 3", 32)},
        {860, Field("0.0.0.0", 64)},
        {924, {1, 2, 3, 0, 0, 0, 0, 0, 90}},
        {934, {30}},
        {936, {1, 2, 3, 0, 0, 0, 0, 0}},
        {944, {0, 1, 0, 0}},
        {964, {1, 2, 0, 0}},
        {1124, {9, 10, 0, 0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(At(b, c.offset, c.bytes.size()), c.bytes) << c.offset;
    // Reserved bytes are never zero, so that carrying them through is visible.
    for (std::size_t i : {0u, 1u, 76u, 180u, 695u, 1144u, 1355u}) {
        EXPECT_EQ(b[i], termsim::ReservedByte(i)) << i;
        EXPECT_NE(b[i], 0) << i;
    }
}

TEST(RunStatus, StepsThroughActivitiesOncePerPeriod) {
    using std::chrono::milliseconds;
    EXPECT_EQ(termsim::RunStatusAt(milliseconds(99999), milliseconds(0), 3), 0x40);
    std::set<std::uint8_t> seen;
    for (int step = 0; step < 8; ++step)
        seen.insert(termsim::RunStatusAt(milliseconds(100 * step + 50), milliseconds(100), 0));
    EXPECT_GE(seen.size(), 5u);
    EXPECT_TRUE(seen.count(0x00) && seen.count(0x40));  // registering and registered
    EXPECT_EQ(termsim::RunStatusAt(milliseconds(150), milliseconds(100), 0),
              termsim::RunStatusAt(milliseconds(50), milliseconds(100), 1));
}

TEST(InitialBlock, FamilyValuesFollowTheModel) {
    struct Case {
        const char* model;
        std::uint8_t featureFlags, autoAnswer, talkVolume, talkGain, echo, multicastGain, play;
    };
    const Case cases[] = {
        {"SIP310", 0, 30, 90, 20, 1, 16, 90}, {"sip525-x", 0, 30, 90, 20, 1, 18, 90},
        {"SIP430", 0, 30, 90, 20, 1, 20, 90}, {"SIP460", 8, 5, 90, 0, 1, 0, 90},
        {"SIP650", 8, 0, 0, 20, 1, 20, 0},    {"SIP4601", 8, 5, 90, 0, 1, 0, 90},
    };
    for (const auto& c : cases) {
        const auto b = termsim::MakeInitialBlock(c.model, "V2.6.0", {}, 0x7F000101, 1, "", "", "");
        EXPECT_EQ(b[8], c.featureFlags) << c.model;
        EXPECT_EQ(b[171], c.autoAnswer) << c.model;
        EXPECT_EQ(b[179], c.talkVolume) << c.model;
        EXPECT_EQ(b[186], c.talkGain) << c.model;
        EXPECT_EQ(b[468], c.echo) << c.model;
        EXPECT_EQ(b[721], c.multicastGain) << c.model;
        EXPECT_EQ(b[932], c.play) << c.model;
        EXPECT_EQ(b[178], c.play) << c.model;
    }
}

TEST(InitialBlock, DisplayNameIsStoredInTheDeviceCodePage) {
    const auto b =
        termsim::MakeInitialBlock("SIP520", "V2.6.0", {}, 0x7F000101, 1, "门口机1", "", "");
    EXPECT_EQ(At(b, 796, 8), (Bytes{0xC3, 0xC5, 0xBF, 0xDA, 0xBB, 0xFA, '1', 0}));
}

TEST(TerminalState, FirmwareAndAddressAccessors) {
    termsim::TerminalState s;
    s.block = termsim::MakeInitialBlock("SIP520", "V2.4.1", {}, 0x7F000109, 1, "", "", "");
    EXPECT_EQ(s.Firmware(), "V2.4.1");
    EXPECT_EQ(s.Model(), "SIP520");
    EXPECT_EQ(s.BlockAddress(), 0x7F000109u);
    s.SetFirmware("V2.6.1");
    EXPECT_EQ(At(s.block, 44, 32), Field("V2.6.1", 32));
}

}  // namespace
