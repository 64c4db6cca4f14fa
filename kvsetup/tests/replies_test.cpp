// The library against a scripted terminal that answers with broken replies before (or instead
// of) the right one: every broken reply must be ignored.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "common/udpsocket.h"
#include "kvsetup/kvproto.h"
#include "kvsetup/kvsetup.h"
#include "tests/testnet.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Script = std::function<std::vector<Bytes>(const kvproto::Message&)>;

const kvproto::Mac kMac{2, 0x4B, 0x56, 0x0F, 0, 1};

std::uint32_t Address(int n, int host) {
    return testnet::Address(static_cast<unsigned>(n), static_cast<unsigned>(host));
}

std::unique_ptr<TUdpSocket> BoundSocket(std::uint32_t address) {
    auto socket = std::make_unique<TUdpSocket>();
    if (!socket->Bind(address, kvproto::kPort)) socket.reset();
    return socket;
}

// A probe that names a MAC: the library looking for a terminal addressed by MAC alone.
bool FindsAMac(const kvproto::Message& m) {
    return m.header.kind == static_cast<std::uint8_t>(kvproto::Kind::kProbe) &&
           !kvproto::IsZeroMac(m.header.mac);
}

// One terminal on 127.N.<n>.1:6070 whose answers come from a script. With an impostor address,
// every answer but those to MAC look-ups comes from port 6070 of that address instead.
class ScriptedTerminal {
  public:
    ScriptedTerminal(int n, Script script, std::uint32_t impostor = 0)
        : script_(std::move(script)) {
        socket_ = BoundSocket(Address(n, 1));
        if (impostor) impostor_ = BoundSocket(impostor);
        replySocket_ = impostor ? impostor_.get() : socket_.get();
        thread_ = std::thread([this] { Serve(); });
    }
    ~ScriptedTerminal() {
        stop_ = true;
        thread_.join();
    }
    bool Bound() const { return socket_ && replySocket_; }
    std::vector<std::uint32_t> RequestIds() const {
        std::lock_guard<std::mutex> lock(mu_);
        return ids_;
    }

  private:
    void Serve() {
        while (!stop_ && socket_) {
            const auto in = socket_->Receive(50, 65536);
            if (!in) continue;
            const auto m = kvproto::Decode(std::span(in->bytes.data(), in->bytes.size()));
            if (!m) continue;
            {
                std::lock_guard<std::mutex> lock(mu_);
                ids_.push_back(m->header.requestId);
            }
            TUdpSocket* replyFrom = FindsAMac(*m) ? socket_.get() : replySocket_;
            for (const auto& reply : script_(*m))
                replyFrom->SendTo(in->address, in->port, reply.data(), reply.size());
        }
    }

    Script script_;
    std::unique_ptr<TUdpSocket> socket_, impostor_;
    TUdpSocket* replySocket_ = nullptr;
    mutable std::mutex mu_;
    std::vector<std::uint32_t> ids_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// The right reply to any request: result 1 with the payload its kind carries.
Bytes GoodReply(const kvproto::Message& m) {
    kvproto::Header h;
    h.kind = m.header.kind | kvproto::kReplyBit;
    h.requestId = m.header.requestId;
    h.mac = kMac;
    h.result = 1;
    const auto kind = static_cast<kvproto::Kind>(m.header.kind);
    Bytes payload(kvproto::ReplyPayloadSize(kind, 1), 0x42);
    if (kind == kvproto::Kind::kProbe) std::copy(kMac.begin(), kMac.end(), payload.begin() + 52);
    return kvproto::Encode(h, payload);
}

Bytes GoodRead(const kvproto::Message& m) {
    return GoodReply(m);
}

std::vector<Bytes> AnswerRightly(const kvproto::Message& m) {
    return {GoodReply(m)};
}

// Broken variants of the right reply.
std::vector<Bytes> BrokenReads(const kvproto::Message& m) {
    std::vector<Bytes> out;
    const Bytes good = GoodRead(m);
    out.push_back(Bytes(good.begin(), good.begin() + 23));  // short
    Bytes longer = good;
    longer.push_back(0);
    out.push_back(longer);  // one byte too long
    auto variant = [&](auto change, std::size_t payload) {
        kvproto::Header h;
        h.kind = m.header.kind | kvproto::kReplyBit;
        h.requestId = m.header.requestId;
        h.mac = kMac;
        h.result = 1;
        change(h);
        out.push_back(kvproto::Encode(h, Bytes(payload, 0x13)));
    };
    variant([](kvproto::Header& h) { h.mac[5] = 9; }, kvproto::kBlockSize);      // other MAC
    variant([](kvproto::Header& h) { h.kind = 0x81; }, kvproto::kRecordSize);    // wrong kind
    variant([](kvproto::Header& h) { h.kind = 5; }, kvproto::kBlockSize);        // a request
    variant([](kvproto::Header& h) { h.requestId -= 1; }, kvproto::kBlockSize);  // stale
    variant([](kvproto::Header&) {}, 100);                                       // short block
    out.push_back(Bytes{'g', 'a', 'r', 'b', 'a', 'g', 'e'});
    out.push_back(Bytes(65507, 0xFF));  // the largest datagram
    return out;
}

TEST(KvReplies, BrokenRepliesAreIgnored) {
    setenv("KVSETUP_TARGETS", testnet::InBlock("127.0.30.1").c_str(), 1);
    ScriptedTerminal terminal(30, [](const kvproto::Message& m) {
        auto replies = BrokenReads(m);
        replies.push_back(GoodRead(m));
        return replies;
    });
    ASSERT_TRUE(terminal.Bound());
    std::uint8_t block[1356] = {};
    ASSERT_EQ(kv_read_setting2(testnet::InBlock("127.0.30.1").c_str(), kMac.data(), block, nullptr),
              1);
    for (std::uint8_t b : block)
        ASSERT_EQ(b, 0x42);
}

TEST(KvReplies, OnlyBrokenRepliesMeanNoAnswer) {
    setenv("KVSETUP_TARGETS", testnet::InBlock("127.0.31.1").c_str(), 1);
    ScriptedTerminal terminal(31, BrokenReads);
    ASSERT_TRUE(terminal.Bound());
    std::uint8_t block[1356];
    std::memset(block, 0x77, sizeof block);
    EXPECT_EQ(kv_read_setting2(testnet::InBlock("127.0.31.1").c_str(), kMac.data(), block, nullptr),
              0);
    for (std::uint8_t b : block)
        ASSERT_EQ(b, 0x77);  // untouched
}

TEST(KvReplies, SearchKeepsOneRecordPerMac) {
    setenv("KVSETUP_TARGETS", testnet::InBlock("127.0.32.1").c_str(), 1);
    // Two answers to one probe, plus a record whose MAC disagrees with its header.
    ScriptedTerminal terminal(32, [](const kvproto::Message& m) {
        kvproto::Header h;
        h.kind = m.header.kind | kvproto::kReplyBit;
        h.requestId = m.header.requestId;
        h.mac = kMac;
        h.result = 1;
        Bytes record(kvproto::kRecordSize, 0);
        std::copy(kMac.begin(), kMac.end(), record.begin() + 52);
        Bytes liar = record;
        liar[57] = 0x99;
        return std::vector<Bytes>{kvproto::Encode(h, liar), kvproto::Encode(h, record),
                                  kvproto::Encode(h, record)};
    });
    ASSERT_TRUE(terminal.Bound());
    std::vector<TDeviceRecord> records(4);
    std::int32_t count = 4;
    ASSERT_EQ(kv_search_all(records.data(), &count), 1);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(0, std::memcmp(records[0].bytes + 52, kMac.data(), 6));
}

// Each call addressed to one terminal takes its answer only from where it asked: the address
// given, or for a terminal addressed by MAC alone one of the targets, or for a write the address
// the block moves the terminal to.
TEST(KvReplies, AnswersFromAnotherAddressAreRefused) {
    setenv("KVSETUP_TARGETS", testnet::InBlock("127.0.33.1").c_str(), 1);
    const std::uint32_t impostor = Address(33, 2);
    TDeviceCredentials cred{};
    std::uint8_t block[1356] = {};
    std::uint8_t moving[1356] = {};
    const std::uint8_t impostorBytes[4] = {127, static_cast<std::uint8_t>(testnet::Block()), 33, 2};
    std::memcpy(moving + 144, impostorBytes, 4);
    const std::string ipText = testnet::InBlock("127.0.33.1");
    const char* ip = ipText.c_str();
    struct Case {
        const char* name;
        std::function<std::int32_t()> call;
        std::int32_t fromImpostor;
    };
    const std::vector<Case> cases = {
        {"search one",
         [&] {
             TDeviceRecord r;
             return kv_search_one(ip, &r);
         },
         0},
        {"login", [&] { return kv_login(ip, kMac.data(), &cred); }, 0},
        {"logout", [&] { return kv_logout(ip, kMac.data(), &cred); }, 0},
        {"reset", [&] { return kv_reset(ip, kMac.data(), &cred); }, 0},
        {"read", [&] { return kv_read_setting2(ip, kMac.data(), block, nullptr); }, 0},
        {"write", [&] { return kv_write_setting2(ip, kMac.data(), block, 1356, nullptr); }, 0},
        {"login by MAC", [&] { return kv_login("", kMac.data(), &cred); }, 0},
        {"logout by MAC", [&] { return kv_logout("", kMac.data(), &cred); }, 0},
        {"reset by MAC", [&] { return kv_reset("", kMac.data(), &cred); }, 0},
        {"read by MAC", [&] { return kv_read_setting2("", kMac.data(), block, nullptr); }, 0},
        {"write by MAC", [&] { return kv_write_setting2("", kMac.data(), block, 1356, nullptr); },
         0},
        {"write moving there",
         [&] { return kv_write_setting2(ip, kMac.data(), moving, 1356, nullptr); }, 1},
        {"write by MAC moving there",
         [&] { return kv_write_setting2("", kMac.data(), moving, 1356, nullptr); }, 1},
    };
    // A call that is to be answered may wait as long as a loaded machine needs: it ends at the
    // answer. One that is to find nothing keeps the library's waits, which it spends in full.
    auto call = [](const Case& c, std::int32_t expected) {
        setenv("KVSETUP_SEARCH_MS", expected == 1 ? "10000" : "1000", 1);
        setenv("KVSETUP_ATTEMPT_MS", expected == 1 ? "10000" : "400", 1);
        return c.call();
    };
    {
        ScriptedTerminal honest(33, AnswerRightly);
        ASSERT_TRUE(honest.Bound());
        for (const Case& c : cases)
            EXPECT_EQ(call(c, 1), 1) << c.name << " from the terminal itself";
    }
    ScriptedTerminal elsewhere(33, AnswerRightly, impostor);
    ASSERT_TRUE(elsewhere.Bound());
    for (const Case& c : cases)
        EXPECT_EQ(call(c, c.fromImpostor), c.fromImpostor)
            << c.name << " answered from " << testnet::Text(impostor);
    unsetenv("KVSETUP_SEARCH_MS");
    unsetenv("KVSETUP_ATTEMPT_MS");
}

// Request ids do not follow one another, so a datagram from elsewhere cannot guess the next one.
TEST(KvReplies, RequestIdsAreUnpredictable) {
    setenv("KVSETUP_TARGETS", testnet::InBlock("127.0.34.1").c_str(), 1);
    ScriptedTerminal terminal(34, AnswerRightly);
    ASSERT_TRUE(terminal.Bound());
    std::uint8_t block[1356];
    for (int i = 0; i < 16; ++i)
        ASSERT_EQ(
            kv_read_setting2(testnet::InBlock("127.0.34.1").c_str(), kMac.data(), block, nullptr),
            1);
    const auto ids = terminal.RequestIds();
    ASSERT_EQ(ids.size(), 16u);
    int close = 0;
    for (std::size_t i = 1; i < ids.size(); ++i)
        close += (ids[i] - ids[i - 1]) < 1024u;
    EXPECT_EQ(close, 0) << "ids follow a counter";
}

}  // namespace
