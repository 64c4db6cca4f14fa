#include "manager/access/localinterfaces.h"

#include <gtest/gtest.h>

#include <thread>

#include "common/ipv4parse.h"

namespace {

std::uint32_t Addr(const char* text) {
    return InetAddrNetworkOrder(text);
}

class LocalInterfacesTest : public ::testing::Test {
  protected:
    void TearDown() override { SetLocalInterfaces({}); }
};

TEST_F(LocalInterfacesTest, SubnetMatchUsesEachEntrysMask) {
    SetLocalInterfaces({{Addr("192.168.1.200"), Addr("255.255.255.128")},
                        {Addr("10.1.0.5"), Addr("255.255.0.0")}});
    const std::vector<std::pair<const char*, bool>> cases = {
        {"192.168.1.130", true},
        {"192.168.1.20", false},
        {"192.168.1.255", true},
        {"10.1.200.1", true},
        {"10.2.0.1", false},
        {"not an address", false},
        {"", false},
        {"192.168.1.130 ", true},  // inet_addr stops at white space
    };
    for (const auto& [text, local] : cases)
        EXPECT_EQ(IsLocalSubnet(text), local) << text;
    EXPECT_FALSE(IsLocalSubnet(std::string("192.168.1.130\0x", 15)));
}

TEST_F(LocalInterfacesTest, TextThatIsNoAddressCountsAsAllOnes) {
    // An entry whose subnet part is all ones matches the all-ones value of a bad text.
    SetLocalInterfaces({{Addr("255.255.255.1"), Addr("255.255.255.0")}});
    EXPECT_TRUE(IsLocalSubnet("garbage"));
    EXPECT_TRUE(IsLocalSubnet("255.255.255.7"));
    EXPECT_FALSE(IsLocalSubnet("1.2.3.4"));
}

TEST_F(LocalInterfacesTest, EmptyListMakesNothingLocal) {
    SetLocalInterfaces({});
    EXPECT_FALSE(IsLocalSubnet("127.0.0.1"));
    EXPECT_FALSE(IsLocalSubnet("garbage"));
    std::vector<std::string> list = {"stale"};
    EXPECT_EQ(GetLocalAddresses(list), 0);
    EXPECT_TRUE(list.empty());
}

TEST_F(LocalInterfacesTest, LocalAddressesSkipLoopbackHostOnly) {
    SetLocalInterfaces({{Addr("127.0.0.1"), Addr("255.0.0.0")},
                        {Addr("192.168.1.200"), Addr("255.255.255.0")},
                        {Addr("127.0.1.1"), Addr("255.0.0.0")},
                        {Addr("10.0.0.2"), Addr("255.0.0.0")}});
    std::vector<std::string> list = {"stale"};
    EXPECT_EQ(GetLocalAddresses(list), 3);
    EXPECT_EQ(list, (std::vector<std::string>{"192.168.1.200", "127.0.1.1", "10.0.0.2"}));
}

TEST_F(LocalInterfacesTest, SystemListHoldsLoopback) {
    ReadLocalInterfaces();
    bool loopback = false;
    for (const TLocalInterface& i : LocalInterfaces()) {
        loopback |= i.address == Addr("127.0.0.1") && i.netmask == Addr("255.0.0.0");
    }
    EXPECT_TRUE(loopback);
    EXPECT_TRUE(IsLocalSubnet("127.0.1.7"));
}

TEST_F(LocalInterfacesTest, ReadersOnOtherThreadsSeeWholeLists) {
    const std::vector<TLocalInterface> a = {{Addr("192.168.1.1"), Addr("255.255.255.0")}};
    const std::vector<TLocalInterface> b = {{Addr("10.0.0.1"), Addr("255.0.0.0")},
                                            {Addr("172.16.0.1"), Addr("255.240.0.0")}};
    SetLocalInterfaces(a);
    std::thread reader([] {
        for (int i = 0; i < 20000; ++i) {
            std::vector<TLocalInterface> seen = LocalInterfaces();
            ASSERT_TRUE(seen.size() == 1 || seen.size() == 2);
            std::vector<std::string> texts;
            GetLocalAddresses(texts);
            ASSERT_TRUE(texts.size() == 1 || texts.size() == 2);
        }
    });
    for (int i = 0; i < 2000; ++i)
        SetLocalInterfaces(i % 2 ? a : b);
    reader.join();
}

}  // namespace
