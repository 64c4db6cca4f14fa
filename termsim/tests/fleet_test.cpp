// The fleet's plumbing: extra agents on their own ports, moves, restarts, faults, garbage.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>

#include "kvsetup/kvproto.h"
#include "termsim/fleet.h"
#include "termsim/tests/udppeer.h"
#include "tests/testnet.h"

namespace {

using namespace std::chrono_literals;
using termsim::Clock;
using termsim::Endpoint;

std::uint32_t Range(int n) {
    return testnet::Address(static_cast<unsigned>(n), 1);
}
constexpr std::uint16_t kEchoPort = 7777;

// Answers every datagram with "echo", the terminal's index and the bytes; "move" followed by a
// 4-byte address moves the terminal; "late" answers after 100 ms; "reset" restarts it, silent
// for long enough that a loaded machine still probes it while it is down.
class EchoAgent : public termsim::ITerminalAgent {
  public:
    explicit EchoAgent(termsim::TerminalContext& ctx) : ctx_(ctx) {}
    std::uint16_t Port() const override { return kEchoPort; }
    void OnDatagram(const Endpoint& from, std::span<const std::uint8_t> bytes) override {
        const std::string text(bytes.begin(), bytes.end());
        std::vector<std::uint8_t> reply{'e', 'c', 'h', 'o',
                                        static_cast<std::uint8_t>(ctx_.State().index)};
        reply.insert(reply.end(), bytes.begin(), bytes.end());
        if (text.rfind("move", 0) == 0 && bytes.size() == 8) {
            const std::uint32_t a = (std::uint32_t{bytes[4]} << 24) |
                                    (std::uint32_t{bytes[5]} << 16) |
                                    (std::uint32_t{bytes[6]} << 8) | bytes[7];
            reply.push_back(ctx_.MoveTo(a) ? 1 : 0);
        }
        if (text == "late") {
            ctx_.SendAfter(100ms, from, reply);
            return;
        }
        ctx_.Send(from, reply);
        if (text == "reset") ctx_.Restart(2s);
    }
    void OnRestart() override { ++restarts; }
    int restarts = 0;

  private:
    termsim::TerminalContext& ctx_;
};

class FleetTest : public ::testing::Test {
  protected:
    void Start(int n, int count, std::chrono::milliseconds statusPeriod = {}) {
        termsim::FleetOptions options;
        options.count = count;
        options.statusPeriod = statusPeriod;
        options.firstAddress = Range(n);
        options.agents.push_back(
            [](termsim::TerminalContext& c) { return std::make_unique<EchoAgent>(c); });
        fleet_ = std::make_unique<termsim::Fleet>(options);
        std::string error;
        ASSERT_TRUE(fleet_->Start(&error)) << error;
    }
    std::vector<std::uint8_t> Probe() {
        kvproto::Header h;
        h.kind = 1;
        h.requestId = 77;
        return kvproto::Encode(h, {});
    }
    std::unique_ptr<termsim::Fleet> fleet_;
    UdpPeer peer_;
};

TEST_F(FleetTest, ExtraAgentAnswersFromTheTerminalAddress) {
    ASSERT_NO_FATAL_FAILURE(Start(1, 3));
    peer_.Send({Range(1) + 2, kEchoPort}, {'h', 'i'});
    const auto reply = peer_.Receive(5s);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->from, (Endpoint{Range(1) + 2, kEchoPort}));
    EXPECT_EQ(reply->bytes, (std::vector<std::uint8_t>{'e', 'c', 'h', 'o', 2, 'h', 'i'}));
    // The device-access port of the same terminal is a different service.
    peer_.Send({Range(1) + 2, kvproto::kPort}, Probe());
    const auto record = peer_.Receive(5s);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->from.port, kvproto::kPort);
    EXPECT_EQ(record->bytes.size(), kvproto::kHeaderSize + kvproto::kRecordSize);
}

TEST_F(FleetTest, MoveTakesEveryAgentAlongAndStaysInLoopback) {
    ASSERT_NO_FATAL_FAILURE(Start(2, 2));
    const std::uint32_t target = Range(2) + 99;
    auto move = [&](std::uint32_t to, std::uint32_t from) {
        peer_.Send({from, kEchoPort},
                   {'m', 'o', 'v', 'e', static_cast<std::uint8_t>(to >> 24),
                    static_cast<std::uint8_t>(to >> 16), static_cast<std::uint8_t>(to >> 8),
                    static_cast<std::uint8_t>(to)});
        const auto reply = peer_.Receive(5s);
        return reply && reply->bytes.back() == 1;
    };
    EXPECT_FALSE(move(0x0A01010A, Range(2)));    // 10.1.1.10
    EXPECT_FALSE(move(0xC0A80114, Range(2)));    // 192.168.1.20
    EXPECT_FALSE(move(Range(2) + 1, Range(2)));  // the other terminal's address
    EXPECT_EQ(fleet_->State(0).address, Range(2));
    ASSERT_TRUE(move(target, Range(2)));
    EXPECT_EQ(fleet_->State(0).address, target);
    peer_.Send({target, kvproto::kPort}, Probe());
    const auto record = peer_.Receive(5s);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->from.address, target);
    EXPECT_EQ(record->bytes[kvproto::kHeaderSize + 63], 100);  // the record's address
}

TEST_F(FleetTest, RestartSilencesEveryPort) {
    ASSERT_NO_FATAL_FAILURE(Start(3, 1));
    peer_.Send({Range(3), kEchoPort}, {'r', 'e', 's', 'e', 't'});
    ASSERT_TRUE(peer_.Receive(5s));
    EXPECT_GT(fleet_->State(0).silentUntil, Clock::now());
    peer_.Send({Range(3), kvproto::kPort}, Probe());
    EXPECT_FALSE(peer_.Receive(500ms));
    // Back after the restart time: ask until it answers.
    const auto limit = Clock::now() + 20s;
    std::optional<UdpPeer::Datagram> reply;
    while (!reply && Clock::now() < limit) {
        peer_.Send({Range(3), kEchoPort}, {'x'});
        reply = peer_.Receive(100ms);
    }
    EXPECT_TRUE(reply);
}

TEST_F(FleetTest, DelayedAndMutedTerminals) {
    ASSERT_NO_FATAL_FAILURE(Start(4, 2));
    termsim::Faults faults;
    faults.extraDelay = 120ms;
    fleet_->SetFaults(0, faults);
    const auto sent = Clock::now();
    peer_.Send({Range(4), kEchoPort}, {'l', 'a', 't', 'e'});
    ASSERT_TRUE(peer_.Receive(5s));
    EXPECT_GE(Clock::now() - sent, 220ms);  // 100 ms of the agent plus 120 ms of the fault
    faults = {};
    faults.mute = true;
    fleet_->SetFaults(1, faults);
    peer_.Send({Range(4) + 1, kEchoPort}, {'x'});
    EXPECT_FALSE(peer_.Receive(200ms));
}

TEST_F(FleetTest, GarbageIsIgnoredAndCounted) {
    ASSERT_NO_FATAL_FAILURE(Start(5, 1));
    std::mt19937 rng(5);
    const Endpoint kv{Range(5), kvproto::kPort};
    auto probe = Probe();
    std::vector<std::vector<std::uint8_t>> garbage = {
        {}, {0}, std::vector<std::uint8_t>(23, 'K'), std::vector<std::uint8_t>(9000, 0xFF)};
    // Few and small enough for the terminal's socket buffer, so none is lost.
    for (int i = 0; i < 100; ++i) {
        std::vector<std::uint8_t> g(rng() % 300);
        for (auto& b : g)
            b = static_cast<std::uint8_t>(rng());
        garbage.push_back(g);
    }
    auto flipped = probe;
    flipped[5] = 0x81;  // a reply kind
    garbage.push_back(flipped);
    auto unknown = probe;
    unknown[5] = 9;
    garbage.push_back(unknown);
    auto otherMac = probe;
    otherMac[17] = 0x55;
    garbage.push_back(otherMac);
    for (const auto& g : garbage)
        peer_.Send(kv, g);
    peer_.Send({Range(5), kEchoPort}, {'x'});  // the other agent survives too
    // A well-formed request with the wrong payload size is answered with -2.
    kvproto::Header h;
    h.kind = 2;  // login without credentials
    h.requestId = 5;
    peer_.Send(kv, kvproto::Encode(h, {}));
    peer_.Send(kv, probe);
    // Replies of different ports may come in any order.
    std::map<std::uint16_t, std::vector<std::vector<std::uint8_t>>> replies;
    for (int i = 0; i < 3; ++i) {
        auto r = peer_.Receive(5s);
        ASSERT_TRUE(r) << i;
        replies[r->from.port].push_back(r->bytes);
    }
    ASSERT_EQ(replies[kEchoPort].size(), 1u);
    ASSERT_EQ(replies[kvproto::kPort].size(), 2u);
    const auto bad = kvproto::Decode(replies[kvproto::kPort][0]);
    ASSERT_TRUE(bad);
    EXPECT_EQ(bad->header.result, -2);
    EXPECT_EQ(bad->header.kind, 0x82);
    EXPECT_EQ(replies[kvproto::kPort][1].size(), kvproto::kHeaderSize + kvproto::kRecordSize);
    const auto stats = fleet_->Stats(0);
    EXPECT_EQ(stats.datagrams, garbage.size() + 2);
    EXPECT_EQ(stats.probes, 1u);
    EXPECT_EQ(stats.ignored, garbage.size());  // every random datagram fails the header checks
}

TEST_F(FleetTest, RunStatusChangesOverTimeWhenAsked) {
    ASSERT_NO_FATAL_FAILURE(Start(7, 1, 20ms));
    const Endpoint kv{Range(7), kvproto::kPort};
    std::set<std::uint8_t> seen;
    const auto deadline = Clock::now() + 10s;
    while (seen.size() < 4 && Clock::now() < deadline) {
        peer_.Send(kv, Probe());
        ASSERT_TRUE(peer_.Receive(5s));
        seen.insert(fleet_->State(0).block[170]);
    }
    EXPECT_GE(seen.size(), 4u);
    EXPECT_TRUE(seen.count(0x00) || seen.count(0x40));
}

TEST_F(FleetTest, StopClosesEverySocket) {
    ASSERT_NO_FATAL_FAILURE(Start(6, 2));
    fleet_->Stop();
    EXPECT_EQ(fleet_->Count(), 0);
    // The addresses are free again.
    termsim::FleetOptions options;
    options.count = 2;
    options.firstAddress = Range(6);
    termsim::Fleet again(options);
    std::string error;
    EXPECT_TRUE(again.Start(&error)) << error;
}

}  // namespace
