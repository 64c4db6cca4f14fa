#include "termsim/options.h"
#include "tests/testnet.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using termsim::CommandLine;

TEST(TermsimOptions, ParsesEveryOption) {
    // clang-format off
    const std::vector<std::string> args = {
        "--count", "12", "--first-ip", "127.0.3.1", "--model", "SIP520,SIP1601",
        "--firmware", "V2.6.0,V2.4.1", "--old-firmware-every", "5", "--old-firmware", "V2.3.9",
        "--login-user", "admin", "--login-password", "pw", "--name-prefix", "Door ",
        "--first-account", "9001", "--restart-ms", "200", "--loss", "0.25",
        "--delay-ms", "30", "--delay-jitter-ms", "15", "--busy-logins", "2", "--mute", "1,4",
        "--mute-share", "0.1", "--seed", "4000000000",
        "--update-password", "upw", "--device-type", "PA-X", "--no-update-agent",
        "--no-host-agent"};
    // clang-format on
    CommandLine cmd;
    std::string error;
    ASSERT_TRUE(termsim::ParseCommandLine(args, &cmd, &error)) << error;
    const auto& f = cmd.fleet;
    EXPECT_EQ(f.count, 12);
    EXPECT_EQ(f.firstAddress, 0x7F000301u);
    EXPECT_EQ(f.models, (std::vector<std::string>{"SIP520", "SIP1601"}));
    EXPECT_EQ(f.firmwares, (std::vector<std::string>{"V2.6.0", "V2.4.1"}));
    EXPECT_EQ(f.oldFirmwareEvery, 5);
    EXPECT_EQ(f.oldFirmware, "V2.3.9");
    EXPECT_EQ(f.loginUser, "admin");
    EXPECT_EQ(f.loginPassword, "pw");
    EXPECT_EQ(f.namePrefix, "Door ");
    EXPECT_EQ(f.firstAccount, 9001u);
    EXPECT_EQ(f.restartTime.count(), 200);
    EXPECT_DOUBLE_EQ(f.faults.lossRate, 0.25);
    EXPECT_EQ(f.faults.extraDelay.count(), 30);
    EXPECT_EQ(f.faults.jitter.count(), 15);
    EXPECT_DOUBLE_EQ(f.muteShare, 0.1);
    EXPECT_EQ(f.seed, 4000000000u);
    EXPECT_EQ(f.faults.busyLogins, 2);
    EXPECT_EQ(cmd.muteTerminals, (std::vector<int>{1, 4}));
    EXPECT_EQ(cmd.updatePassword, "upw");
    EXPECT_EQ(cmd.updateDeviceType, "PA-X");
    EXPECT_FALSE(cmd.updateAgent);
    EXPECT_FALSE(cmd.hostAgent);
    EXPECT_TRUE(CommandLine{}.hostAgent);
}

TEST(TermsimOptions, RefusesBadValues) {
    const std::vector<std::vector<std::string>> cases = {
        {"--count"},
        {"--count", "-1"},
        {"--count", "70000"},
        {"--count", "12x"},
        {"--first-ip", "192.168.1.10"},  // never outside loopback
        {"--first-ip", "127.0.1"},
        {"--loss", "1.5"},
        {"--loss", "abc"},
        {"--mute", "1,x"},
        {"--mute-share", "-0.1"},
        {"--seed", "-1"},
        {"--delay-jitter-ms", "x"},
        {"--model", ","},
        {"--frobnicate", "1"},
    };
    for (const auto& args : cases) {
        CommandLine cmd;
        std::string error;
        EXPECT_FALSE(termsim::ParseCommandLine(args, &cmd, &error)) << args[0];
        EXPECT_NE(error.find(args[0]), std::string::npos) << error;
    }
}

TEST(TermsimOptions, FleetRefusesAddressesLeavingLoopback) {
    termsim::FleetOptions options;
    options.firstAddress = 0x7FFFFFF0;  // 127.255.255.240 + 20 runs out of 127.0.0.0/8
    options.count = 20;
    termsim::Fleet fleet(options);
    std::string error;
    EXPECT_FALSE(fleet.Start(&error));
    EXPECT_NE(error.find("127.0.0.0/8"), std::string::npos);
}

// The seed decides which terminals a share of mutes silences: the same seed the same ones,
// another seed others.
TEST(TermsimOptions, SeedRepeatsOrVariesThePatterns) {
    auto muted = [](std::uint32_t seed) {
        termsim::FleetOptions options;
        options.count = 64;
        options.firstAddress = testnet::Address(80, 1);
        options.muteShare = 0.5;
        options.seed = seed;
        termsim::Fleet fleet(options);
        std::string error;
        EXPECT_TRUE(fleet.Start(&error)) << error;
        std::vector<bool> out;
        for (int i = 0; i < fleet.Count(); ++i)
            out.push_back(fleet.State(i).faults.mute);
        return out;
    };
    const auto first = muted(7);
    EXPECT_EQ(muted(7), first);
    EXPECT_NE(muted(8), first);
    const auto count = std::count(first.begin(), first.end(), true);
    EXPECT_GT(count, 8);
    EXPECT_LT(count, 56);
}

}  // namespace
