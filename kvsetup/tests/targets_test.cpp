#include "kvsetup/targets.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using kvsetup::ParseTargets;

constexpr std::uint32_t Ip(unsigned a, unsigned b, unsigned c, unsigned d) {
    return (a << 24) | (b << 16) | (c << 8) | d;
}

TEST(Targets, ParsesAddressesAndRanges) {
    struct Case {
        const char* text;
        std::vector<std::uint32_t> expected;
    };
    const Case cases[] = {
        {"127.0.1.1", {Ip(127, 0, 1, 1)}},
        {" 127.0.1.1 , 127.0.1.3-127.0.1.4 ",
         {Ip(127, 0, 1, 1), Ip(127, 0, 1, 3), Ip(127, 0, 1, 4)}},
        {"127.0.1.255-127.0.2.1", {Ip(127, 0, 1, 255), Ip(127, 0, 2, 0), Ip(127, 0, 2, 1)}},
        {"127.0.1.2,127.0.1.1-127.0.1.2", {Ip(127, 0, 1, 2), Ip(127, 0, 1, 1)}},  // no repeats
        {"127.0.1.2 - 127.0.1.3", {Ip(127, 0, 1, 2), Ip(127, 0, 1, 3)}},
        // Skipped: reversed range, bad texts, 0.0.0.0, broadcast, multicast, empty items.
        {"127.0.1.5-127.0.1.4,,300.1.1.1,1.2.3,1.2.3.4.5,abc,0.0.0.0,255.255.255.255,224.0.0.1,"
         "127.0.0.-1,127.0.1.9",
         {Ip(127, 0, 1, 9)}},
        {"", {}},
        {"-", {}},
        {"127.0.1.1-", {}},
        {"0127.0.1.1", {}},  // four digits in a group
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseTargets(c.text), c.expected) << c.text;
}

TEST(Targets, NamesTheFirstItemThatDoesNotParse) {
    const std::pair<const char*, const char*> cases[] = {
        {"127.0.1.1, 127.0.1.2-127.0.1.3,,224.0.0.1", ""},
        {"foo,bar", "\"foo\" is neither an IPv4 address nor a range first-last"},
        {"127.0.1.1, 1.2.3 ,x", "\"1.2.3\" is neither an IPv4 address nor a range first-last"},
        {"127.0.1.5-127.0.1.4",
         "\"127.0.1.5-127.0.1.4\" is neither an IPv4 address nor a range "
         "first-last"},
    };
    for (const auto& [text, expected] : cases) {
        std::string error = "stale";
        ParseTargets(text, &error);
        EXPECT_EQ(error, expected) << text;
    }
    setenv("KVSETUP_TARGETS", "foo,bar", 1);
    std::string error;
    EXPECT_TRUE(kvsetup::CurrentTargets(&error).empty());
    EXPECT_EQ(error.rfind("KVSETUP_TARGETS: \"foo\"", 0), 0u) << error;
    unsetenv("KVSETUP_TARGETS");
}

TEST(Targets, BoundsHostileTexts) {
    // A huge range stops at the bound.
    EXPECT_EQ(ParseTargets("1.0.0.1-200.0.0.0").size(), kvsetup::kMaxTargets);
    // Ranges of skipped addresses do not make the parser run for ever.
    std::string multicast;
    for (int i = 0; i < 1000; ++i)
        multicast += "224.0.0.0-239.255.255.255,";
    EXPECT_TRUE(ParseTargets(multicast + "127.0.0.9").empty());
    // Repeated addresses count towards the bound of examined addresses (4 x 65,536): ten copies
    // of a 25,600-address range leave room for one more address, eleven do not.
    for (const int copies : {10, 11}) {
        std::string repeated;
        for (int i = 0; i < copies; ++i)
            repeated += "2.0.0.1-2.0.100.0,";
        const auto targets = ParseTargets(repeated + "127.0.0.9");
        EXPECT_EQ(targets.size(), copies == 10 ? 25601u : 25600u) << copies;
        EXPECT_EQ(targets.back() == Ip(127, 0, 0, 9), copies == 10) << copies;
    }
}

TEST(Targets, OnlyLoopbackOrNamedAddressesArePermitted) {
    const auto targets = ParseTargets("192.168.1.20");
    EXPECT_TRUE(kvsetup::IsPermitted(Ip(127, 0, 1, 1), targets));
    EXPECT_TRUE(kvsetup::IsPermitted(Ip(127, 200, 1, 1), {}));
    EXPECT_TRUE(kvsetup::IsPermitted(Ip(192, 168, 1, 20), targets));
    EXPECT_FALSE(kvsetup::IsPermitted(Ip(192, 168, 1, 21), targets));
    EXPECT_FALSE(kvsetup::IsPermitted(Ip(10, 1, 1, 10), {}));
}

TEST(Targets, DefaultRangeIsLoopbackOnly) {
    unsetenv("KVSETUP_TARGETS");
    const auto targets = kvsetup::CurrentTargets();
    ASSERT_EQ(targets.size(), 1023u);
    EXPECT_EQ(targets.front(), Ip(127, 0, 1, 1));
    EXPECT_EQ(targets.back(), Ip(127, 0, 4, 255));
    setenv("KVSETUP_TARGETS", "127.0.9.1-127.0.9.2", 1);
    EXPECT_EQ(kvsetup::CurrentTargets().size(), 2u);
    unsetenv("KVSETUP_TARGETS");
}

}  // namespace
