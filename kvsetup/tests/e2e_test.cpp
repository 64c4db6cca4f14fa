// libkvsetup.so against an in-process fleet of simulated terminals.
//
// ctest runs every case as its own process, possibly at the same time as the others, so each
// case puts its fleet on a 127.N.<n>.0/24 range of its own (N: the process's block).
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "kvsetup/kvsetup.h"
#include "termsim/fleet.h"
#include "tests/testnet.h"

namespace {

using termsim::Clock;
using termsim::TBlock;

// The second octet of every address of this process's block.
const std::uint8_t kBlock = static_cast<std::uint8_t>(testnet::Block());

std::uint32_t Range(int n) {
    return testnet::Address(static_cast<unsigned>(n), 1);
}

class KvFleet : public ::testing::Test {
  protected:
    // Starts a fleet of count terminals at 127.N.n.1 and points the library at the whole /24.
    void Start(int n, int count, termsim::FleetOptions options = {}) {
        options.count = count;
        options.firstAddress = Range(n);
        fleet_ = std::make_unique<termsim::Fleet>(options);
        std::string error;
        ASSERT_TRUE(fleet_->Start(&error)) << error;
        setenv("KVSETUP_TARGETS", termsim::TargetsText(Range(n), 254).c_str(), 1);
    }
    std::string Ip(int i) const { return termsim::AddressText(fleet_->State(i).address); }
    termsim::TMac Mac(int i) const { return fleet_->State(i).Mac(); }
    std::vector<TDeviceRecord> Search() {
        std::vector<TDeviceRecord> records(1024);
        std::memset(records.data(), 0, records.size() * sizeof(TDeviceRecord));
        std::int32_t count = 1024;
        EXPECT_EQ(kv_search_all(records.data(), &count), 1);
        records.resize(static_cast<std::size_t>(count));
        return records;
    }

    std::unique_ptr<termsim::Fleet> fleet_;
    TDeviceCredentials noCredentials_{};
};

TDeviceCredentials Credentials(const char* user, const char* password) {
    TDeviceCredentials c{};
    std::strncpy(c.user, user, sizeof c.user - 1);
    std::strncpy(c.password, password, sizeof c.password - 1);
    return c;
}

std::string Text(const std::uint8_t* field, std::size_t width) {
    return std::string(reinterpret_cast<const char*>(field),
                       strnlen(reinterpret_cast<const char*>(field), width));
}

// The record terminal i of a default fleet at 127.N.n.1 reports, written out field by field.
std::array<std::uint8_t, 360> ExpectedRecord(int n, int i) {
    static const char* kModels[] = {"SIP310", "SIP520", "SIP430", "SIP1601", "SIP460", "SIP650"};
    std::array<std::uint8_t, 360> r{};
    std::memcpy(&r[4], "V2.6.0", 6);
    const std::uint8_t mac[6] = {0x02, 0x4B, 0x56, 0, 0, static_cast<std::uint8_t>(i + 1)};
    std::memcpy(&r[52], mac, 6);
    const std::uint8_t ip[4] = {127, kBlock, static_cast<std::uint8_t>(n),
                                static_cast<std::uint8_t>(i + 1)};
    std::memcpy(&r[60], ip, 4);
    const std::uint8_t net[8] = {255, 0, 0, 0, 10, 1, 1, 1};  // mask, gateway; DNS stay 0
    std::memcpy(&r[68], net, 8);
    std::memcpy(&r[112], kModels[i % 6], std::strlen(kModels[i % 6]));
    const std::uint8_t host[4] = {127, 0, 0, 1};  // where the probe came from
    std::memcpy(&r[156], host, 4);
    const std::string account = std::to_string(8001 + i);
    std::memcpy(&r[180], account.data(), account.size());
    const std::string name = "Terminal " + std::to_string(i + 1);
    std::memcpy(&r[200], name.data(), name.size());
    return r;
}

TEST_F(KvFleet, SearchFindsExactlyTheFleet) {
    ASSERT_NO_FATAL_FAILURE(Start(1, 8));
    const auto records = Search();
    ASSERT_EQ(records.size(), 8u);
    for (int i = 0; i < 8; ++i) {
        const auto expected = ExpectedRecord(1, i);
        EXPECT_EQ(0, std::memcmp(records[i].bytes, expected.data(), 360)) << "terminal " << i;
    }
    // search_one reports the same record; an empty address has no terminal.
    TDeviceRecord one{};
    ASSERT_EQ(kv_search_one(Ip(3).c_str(), &one), 1);
    EXPECT_EQ(0, std::memcmp(one.bytes, ExpectedRecord(1, 3).data(), 360));
    EXPECT_EQ(kv_search_one(testnet::InBlock("127.0.1.200").c_str(), &one), 0);
}

TEST_F(KvFleet, SearchFillsAtMostTheCapacityAndNothingElse) {
    ASSERT_NO_FATAL_FAILURE(Start(2, 5));
    std::vector<TDeviceRecord> records(4);
    std::memset(records.data(), 0xEE, records.size() * sizeof(TDeviceRecord));
    std::int32_t count = 3;
    ASSERT_EQ(kv_search_all(records.data(), &count), 1);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(records[2].bytes[63], 3);  // ordered by address
    for (std::uint8_t b : records[3].bytes)
        ASSERT_EQ(b, 0xEE);
    count = 0;
    EXPECT_EQ(kv_search_all(records.data(), &count), 1);
    EXPECT_EQ(count, 0);
}

TEST_F(KvFleet, ReadModifyWriteReadBack) {
    ASSERT_NO_FATAL_FAILURE(Start(3, 3));
    const auto mac = Mac(1);
    std::uint8_t block[1356];
    ASSERT_EQ(kv_read_setting2(Ip(1).c_str(), mac.data(), block, &noCredentials_), 1);
    const TBlock before = fleet_->State(1).block;
    EXPECT_EQ(0, std::memcmp(block, before.data(), 1356));

    std::strcpy(reinterpret_cast<char*>(block + 660), "9100");    // account
    std::strcpy(reinterpret_cast<char*>(block + 796), "Gate A");  // display name
    block[1300] = 0x5A;                                           // a reserved byte
    block[44] = 'X';                                              // firmware: the terminal's own
    EXPECT_EQ(kv_write_setting2(Ip(1).c_str(), mac.data(), block, 1356, &noCredentials_), -4);
    ASSERT_EQ(kv_login(Ip(1).c_str(), mac.data(), &noCredentials_), 1);
    ASSERT_EQ(kv_write_setting2(Ip(1).c_str(), mac.data(), block, 1356, &noCredentials_), 1);
    EXPECT_EQ(fleet_->Stats(1).writes, 2u);

    std::uint8_t again[1356];
    ASSERT_EQ(kv_read_setting2(Ip(1).c_str(), mac.data(), again, nullptr), 1);
    block[44] = 'V';
    EXPECT_EQ(0, std::memcmp(block, again, 1356));
    const auto records = Search();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(Text(records[1].bytes + 180, 16), "9100");
    EXPECT_EQ(Text(records[1].bytes + 200, 32), "Gate A");
    EXPECT_EQ(kv_logout(Ip(1).c_str(), mac.data(), &noCredentials_), 1);
    EXPECT_EQ(kv_write_setting2(Ip(1).c_str(), mac.data(), block, 1356, &noCredentials_), -4);
}

TEST_F(KvFleet, AddressChangeMovesTheTerminal) {
    ASSERT_NO_FATAL_FAILURE(Start(4, 3));
    const auto mac = Mac(2);
    std::uint8_t block[1356];
    ASSERT_EQ(kv_login("", mac.data(), &noCredentials_), 1);
    ASSERT_EQ(kv_read_setting2("", mac.data(), block, &noCredentials_), 1);

    // With DHCP on the terminal keeps its address whatever the static address field holds.
    const std::uint8_t lan[4] = {10, 1, 1, 10};
    std::memcpy(block + 144, lan, 4);
    block[164] = 1;
    ASSERT_EQ(kv_write_setting2("", mac.data(), block, 1356, &noCredentials_), 1);
    EXPECT_EQ(Ip(2), testnet::InBlock("127.0.4.3"));
    // With DHCP off, outside loopback: refused, nothing changes.
    block[164] = 0;
    EXPECT_EQ(kv_write_setting2("", mac.data(), block, 1356, &noCredentials_), -5);
    // Taken by another terminal of the fleet: refused too.
    const std::uint8_t taken[4] = {127, kBlock, 4, 1};
    std::memcpy(block + 144, taken, 4);
    EXPECT_EQ(kv_write_setting2("", mac.data(), block, 1356, &noCredentials_), -5);
    EXPECT_EQ(Ip(2), testnet::InBlock("127.0.4.3"));

    const std::uint8_t moved[4] = {127, kBlock, 4, 200};
    std::memcpy(block + 144, moved, 4);
    ASSERT_EQ(kv_write_setting2("", mac.data(), block, 1356, &noCredentials_), 1);
    const auto records = Search();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[2].bytes[63], 200);
    EXPECT_EQ(0, std::memcmp(records[2].bytes + 52, mac.data(), 6));
    TDeviceRecord one{};
    EXPECT_EQ(kv_search_one(testnet::InBlock("127.0.4.3").c_str(), &one), 0);
    EXPECT_EQ(kv_search_one(testnet::InBlock("127.0.4.200").c_str(), &one), 1);
}

TEST_F(KvFleet, MacAddressingReachesOnlyThatTerminal) {
    ASSERT_NO_FATAL_FAILURE(Start(5, 4));
    std::uint8_t block[1356];
    for (int i = 0; i < 4; ++i) {
        ASSERT_EQ(kv_read_setting2("", Mac(i).data(), block, nullptr), 1);
        EXPECT_EQ(0, std::memcmp(block + 2, Mac(i).data(), 6));
    }
    // An address and the MAC of another terminal: that terminal does not answer.
    EXPECT_EQ(kv_read_setting2(Ip(0).c_str(), Mac(1).data(), block, nullptr), 0);
    const std::uint8_t stranger[6] = {2, 0x4B, 0x56, 9, 9, 9};
    EXPECT_EQ(kv_read_setting2("", stranger, block, nullptr), 0);
    const std::uint8_t zero[6] = {};
    EXPECT_EQ(kv_read_setting2("", zero, block, nullptr), -1);
    EXPECT_EQ(kv_read_setting2(Ip(2).c_str(), zero, block, nullptr), 1);  // any MAC
}

TEST_F(KvFleet, LoginWithCredentials) {
    termsim::FleetOptions options;
    options.loginUser = "admin";
    options.loginPassword = "50738264";
    ASSERT_NO_FATAL_FAILURE(Start(6, 2, options));
    const auto mac = Mac(0);
    struct Case {
        TDeviceCredentials cred;
        std::int32_t expected;
    };
    const Case cases[] = {
        {Credentials("", ""), -6},
        {Credentials("admin", "wrong"), -6},
        {Credentials("Admin", "50738264"), -6},
        {Credentials("admin", "5073826"), -6},
        {Credentials("admin", "50738264"), 1},
    };
    for (auto c : cases)
        EXPECT_EQ(kv_login(Ip(0).c_str(), mac.data(), &c.cred), c.expected) << c.cred.password;
    // Bytes after a terminator do not count.
    auto padded = Credentials("admin", "50738264");
    padded.user[10] = 'x';
    EXPECT_EQ(kv_login(Ip(0).c_str(), mac.data(), &padded), 1);
}

TEST_F(KvFleet, BusyThenSuccess) {
    ASSERT_NO_FATAL_FAILURE(Start(7, 1));
    termsim::Faults faults;
    faults.busyLogins = 2;
    fleet_->SetFaults(0, faults);
    const auto mac = Mac(0);
    EXPECT_EQ(kv_login("", mac.data(), &noCredentials_), -3);
    EXPECT_EQ(kv_login("", mac.data(), &noCredentials_), -3);
    EXPECT_EQ(kv_login("", mac.data(), &noCredentials_), 1);
}

TEST_F(KvFleet, ResetNeedsLoginAndRestartsTheTerminal) {
    termsim::FleetOptions options;
    options.restartTime = std::chrono::milliseconds(300);
    ASSERT_NO_FATAL_FAILURE(Start(8, 1, options));
    const auto ip = Ip(0);
    const auto mac = Mac(0);
    EXPECT_EQ(kv_reset(ip.c_str(), mac.data(), &noCredentials_), -4);
    ASSERT_EQ(kv_login(ip.c_str(), mac.data(), &noCredentials_), 1);
    EXPECT_EQ(kv_reset(ip.c_str(), mac.data(), &noCredentials_), 1);
    EXPECT_GT(fleet_->State(0).silentUntil, Clock::now() - std::chrono::seconds(1));
    // It comes back, without the session.
    TDeviceRecord record{};
    const auto limit = Clock::now() + std::chrono::seconds(20);
    while (kv_search_one(ip.c_str(), &record) != 1)
        ASSERT_LT(Clock::now(), limit);
    std::uint8_t block[1356] = {};
    ASSERT_EQ(kv_read_setting2(ip.c_str(), mac.data(), block, nullptr), 1);
    EXPECT_EQ(kv_write_setting2(ip.c_str(), mac.data(), block, 1356, nullptr), -4);
}

TEST_F(KvFleet, SilentTerminalGivesNoAnswerWithinTheBound) {
    ASSERT_NO_FATAL_FAILURE(Start(9, 2));
    termsim::Faults faults;
    faults.mute = true;
    fleet_->SetFaults(1, faults);
    const auto started = Clock::now();
    std::uint8_t block[1356];
    EXPECT_EQ(kv_read_setting2(Ip(1).c_str(), Mac(1).data(), block, nullptr), 0);
    EXPECT_EQ(kv_login("", Mac(1).data(), &noCredentials_), 0);
    EXPECT_LT(Clock::now() - started, std::chrono::seconds(10));
    EXPECT_EQ(Search().size(), 1u);
    // Nobody at all at an address: the same answer.
    EXPECT_EQ(kv_login(testnet::InBlock("127.0.9.99").c_str(), Mac(1).data(), &noCredentials_), 0);
}

TEST_F(KvFleet, LossAndDelayAreRiddenOut) {
    ASSERT_NO_FATAL_FAILURE(Start(10, 3));
    termsim::Faults faults;
    faults.extraDelay = std::chrono::milliseconds(150);
    fleet_->SetFaults(0, faults);
    faults = {};
    faults.lossRate = 0.2;
    fleet_->SetFaults(1, faults);
    std::uint8_t block[1356];
    EXPECT_EQ(kv_read_setting2(Ip(0).c_str(), Mac(0).data(), block, nullptr), 1);
    int ok = 0;
    for (int i = 0; i < 10; ++i)
        ok += kv_read_setting2(Ip(1).c_str(), Mac(1).data(), block, nullptr);
    EXPECT_GE(ok, 7);  // three sends per call: a call fails only when all three are lost
}

TEST_F(KvFleet, BadArgumentsAreRefused) {
    ASSERT_NO_FATAL_FAILURE(Start(11, 1));
    const auto ip = Ip(0);
    const auto mac = Mac(0);
    std::uint8_t block[1356] = {};
    TDeviceRecord record{};
    std::int32_t count = 4;
    std::int32_t negative = -1;
    EXPECT_EQ(kv_search_all(nullptr, &count), -1);
    EXPECT_EQ(kv_search_all(&record, nullptr), -1);
    EXPECT_EQ(kv_search_all(&record, &negative), -1);
    EXPECT_EQ(kv_search_one(nullptr, &record), -1);
    EXPECT_EQ(kv_search_one(ip.c_str(), nullptr), -1);
    EXPECT_EQ(kv_search_one("", &record), -1);
    EXPECT_EQ(kv_login(nullptr, mac.data(), &noCredentials_), -1);
    EXPECT_EQ(kv_login(ip.c_str(), nullptr, &noCredentials_), -1);
    EXPECT_EQ(kv_login(ip.c_str(), mac.data(), nullptr), -1);
    EXPECT_EQ(kv_logout(ip.c_str(), mac.data(), nullptr), -1);
    EXPECT_EQ(kv_reset(ip.c_str(), mac.data(), nullptr), -1);
    EXPECT_EQ(kv_read_setting2(ip.c_str(), mac.data(), nullptr, nullptr), -1);
    EXPECT_EQ(kv_write_setting2(ip.c_str(), mac.data(), nullptr, 1356, nullptr), -1);
    for (std::int32_t length : {0, 1355, 1357, -1})
        EXPECT_EQ(kv_write_setting2(ip.c_str(), mac.data(), block, length, nullptr), -2);
    for (const char* text : {"127.77.11", "127.77.11.1.5", "127.77.11.256", "host", "1.2.3.4x"})
        EXPECT_EQ(kv_read_setting2(text, mac.data(), block, nullptr), -1) << text;
    // Never sent anywhere outside loopback unless the targets name it.
    EXPECT_EQ(kv_search_one("192.168.1.20", &record), -8);
    EXPECT_EQ(kv_login("10.1.1.10", mac.data(), &noCredentials_), -8);
    EXPECT_EQ(fleet_->Stats(0).writes, 0u);
    // Blanks around the address are fine.
    EXPECT_EQ(kv_read_setting2((" " + ip + " ").c_str(), mac.data(), block, nullptr), 1);
}

TEST_F(KvFleet, ConcurrentCallsEachGetTheirOwnAnswer) {
    ASSERT_NO_FATAL_FAILURE(Start(12, 8));
    std::vector<std::thread> threads;
    std::vector<int> good(8, 0);
    for (int i = 0; i < 8; ++i) {
        threads.emplace_back([&, i] {
            const auto ip = Ip(i);
            const auto mac = Mac(i);
            for (int round = 0; round < 20; ++round) {
                std::uint8_t block[1356];
                if (kv_read_setting2(ip.c_str(), mac.data(), block, nullptr) == 1 &&
                    std::memcmp(block + 2, mac.data(), 6) == 0)
                    ++good[i];
            }
        });
    }
    for (auto& t : threads)
        t.join();
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(good[i], 20) << i;
}

}  // namespace
