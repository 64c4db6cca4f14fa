// The library against a scripted terminal that answers with broken replies before (or instead
// of) the right one: every broken reply must be ignored.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <thread>

#include "common/socketaddress.h"
#include "kvsetup/kvproto.h"
#include "kvsetup/kvsetup.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Script = std::function<std::vector<Bytes>(const kvproto::Message&)>;

const kvproto::Mac kMac{2, 0x4B, 0x56, 0x0F, 0, 1};

// One terminal on 127.77.<n>.1:6070 whose answers come from a script.
class ScriptedTerminal {
  public:
    ScriptedTerminal(int n, Script script) : script_(std::move(script)) {
        fd_ = socket(AF_INET, SOCK_DGRAM, 0);
        const sockaddr_in sa =
            Ipv4SocketAddress(0x7F4D0001u | (static_cast<std::uint32_t>(n) << 8), kvproto::kPort);
        bound_ = bind(fd_, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) == 0;
        thread_ = std::thread([this] { Serve(); });
    }
    ~ScriptedTerminal() {
        stop_ = true;
        thread_.join();
        close(fd_);
    }
    bool Bound() const { return bound_; }

  private:
    void Serve() {
        Bytes buffer(65536);
        while (!stop_) {
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, 50) <= 0) continue;
            sockaddr_in from{};
            socklen_t len = sizeof from;
            const ssize_t n = recvfrom(fd_, buffer.data(), buffer.size(), 0,
                                       reinterpret_cast<sockaddr*>(&from), &len);
            if (n < 0) continue;
            const auto m = kvproto::Decode(std::span(buffer.data(), static_cast<std::size_t>(n)));
            if (!m) continue;
            for (const auto& reply : script_(*m))
                sendto(fd_, reply.data(), reply.size(), 0, reinterpret_cast<sockaddr*>(&from), len);
        }
    }

    Script script_;
    int fd_ = -1;
    bool bound_ = false;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// The right reply to a read request.
Bytes GoodRead(const kvproto::Message& m) {
    kvproto::Header h;
    h.kind = m.header.kind | kvproto::kReplyBit;
    h.requestId = m.header.requestId;
    h.mac = kMac;
    h.result = 1;
    return kvproto::Encode(h, Bytes(kvproto::kBlockSize, 0x42));
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
    setenv("KVSETUP_TARGETS", "127.77.30.1", 1);
    ScriptedTerminal terminal(30, [](const kvproto::Message& m) {
        auto replies = BrokenReads(m);
        replies.push_back(GoodRead(m));
        return replies;
    });
    ASSERT_TRUE(terminal.Bound());
    std::uint8_t block[1356] = {};
    ASSERT_EQ(kv_read_setting2("127.77.30.1", kMac.data(), block, nullptr), 1);
    for (std::uint8_t b : block)
        ASSERT_EQ(b, 0x42);
}

TEST(KvReplies, OnlyBrokenRepliesMeanNoAnswer) {
    setenv("KVSETUP_TARGETS", "127.77.31.1", 1);
    ScriptedTerminal terminal(31, BrokenReads);
    ASSERT_TRUE(terminal.Bound());
    std::uint8_t block[1356];
    std::memset(block, 0x77, sizeof block);
    EXPECT_EQ(kv_read_setting2("127.77.31.1", kMac.data(), block, nullptr), 0);
    for (std::uint8_t b : block)
        ASSERT_EQ(b, 0x77);  // untouched
}

TEST(KvReplies, SearchKeepsOneRecordPerMac) {
    setenv("KVSETUP_TARGETS", "127.77.32.1", 1);
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

}  // namespace
