// Host packets byte for byte: the worked requests and replies, sizes, refusals, the reply checks.
#include "manager/hostdl/hostpacket.h"

#include <gtest/gtest.h>

#include <numeric>

#include "manager/hostdl/hostentries.h"

namespace {

using TBytes = std::vector<std::uint8_t>;

TBytes Erase(std::string_view code) {
    TBytes buffer(kHostHeaderSize, 0xEE);
    buffer.resize(BuildEraseRequest(code, buffer));
    return buffer;
}

TBytes Write(std::string_view code, std::uint16_t start, const std::vector<THostEntry>& entries) {
    TBytes buffer(kHostMaxRequestSize, 0xEE);
    buffer.resize(BuildWriteRequest(code, start, entries, buffer));
    return buffer;
}

// A reply whose only non-zero bytes are the checked ones.
TBytes Reply(std::uint32_t result) {
    TBytes reply(kHostReplySize, 0);
    reply[0] = 0xAA;
    reply[1] = 1;
    reply[2] = 76;
    reply[72] = static_cast<std::uint8_t>(result);
    reply[6] = HostChecksum(reply);
    return reply;
}

std::uint8_t ByteSum(const TBytes& bytes) {
    return static_cast<std::uint8_t>(std::accumulate(bytes.begin(), bytes.end(), 0u));
}

TEST(HostPacket, DeviceEraseRequestIsTheWorkedBytes) {
    TBytes expected = {0xaa, 0x01, 0x48, 0x00, 0x00, 0x40, 0x2c, 0x00,
                       0x01, 0x00, 0x00, 0x00, 0x48, 0x4f, 0x53, 0x54};
    expected.resize(60, 0);
    for (std::uint8_t b : {0x42, 0x4b, 0x45, 0x52, 0x48, 0x4f, 0x53, 0x54, 0, 0, 0, 0})
        expected.push_back(b);
    EXPECT_EQ(Erase("BKER"), expected);
}

TEST(HostPacket, EraseRequestsDifferInCodeAndChecksum) {
    const struct {
        const char* code;
        std::uint8_t checksum;
    } cases[] = {{"BKER", 0x2C}, {"ZNER", 0x11}, {"GPER", 0x22}, {"GDER", 0x2E}};
    for (const auto& c : cases) {
        const TBytes request = Erase(c.code);
        ASSERT_EQ(request.size(), 72u) << c.code;
        EXPECT_EQ(request[6], c.checksum) << c.code;
        EXPECT_EQ(std::string(request.begin() + 60, request.begin() + 64), c.code);
    }
}

TEST(HostPacket, WriteRequestsHaveTheirLengthsAndChecksum) {
    const TBytes one = Write("BKWR", 0, {DeviceEntry("8001", "Lobby")});
    ASSERT_EQ(one.size(), 140u);
    EXPECT_EQ(one[2], 0x8c);
    EXPECT_EQ(one[3], 0x00);
    EXPECT_EQ(one[74], 1);
    EXPECT_EQ(one[6], 0x14);
    EXPECT_EQ(Write("BKWR", 0, std::vector<THostEntry>(16, THostEntry(64))).size(), 1100u);
    EXPECT_EQ(Write("GDWR", 0, std::vector<THostEntry>(16, THostEntry(32))).size(), 588u);
    const TBytes started = Write("ZDWR", 0x1234, {THostEntry(32)});
    EXPECT_EQ(started.size(), 108u);
    EXPECT_EQ(started[72], 0x34);
    EXPECT_EQ(started[73], 0x12);
}

TEST(HostPacket, RefusesWhatCannotBeBuilt) {
    std::vector<std::uint8_t> buffer(kHostMaxRequestSize);
    const std::vector<THostEntry> one{THostEntry(64)};
    EXPECT_EQ(BuildWriteRequest("BKWR", 0, std::vector<THostEntry>(17, THostEntry(64)), buffer),
              0u);
    EXPECT_EQ(BuildWriteRequest("BKWR", 0, {}, buffer), 0u);
    EXPECT_EQ(BuildWriteRequest("GDWR", 0, one, buffer), 0u);  // 64-byte entry, 32-byte table
    EXPECT_EQ(BuildWriteRequest("BKER", 0, one, buffer), 0u);
    EXPECT_EQ(BuildWriteRequest("bkwr", 0, one, buffer), 0u);
    EXPECT_EQ(BuildWriteRequest("BKWR", 0, one, std::span(buffer).first(139)), 0u);
    EXPECT_EQ(BuildWriteRequest(" BKWR\t", 0, one, buffer), 140u);
    EXPECT_EQ(BuildEraseRequest("ZDER", buffer), 0u);  // the zone-device table has no erase
    EXPECT_EQ(BuildEraseRequest("BKWR", buffer), 0u);
    EXPECT_EQ(BuildEraseRequest("", buffer), 0u);
    EXPECT_EQ(BuildEraseRequest("BKER", std::span(buffer).first(71)), 0u);
    EXPECT_EQ(BuildEraseRequest(" GDER ", buffer), 72u);
}

TEST(HostPacket, EveryBuiltRequestPassesTheChecksWhenLoopedBack) {
    for (const THostTableCodes& t : AllTableCodes()) {
        std::vector<TBytes> requests;
        if (!t.eraseCode.empty()) requests.push_back(Erase(t.eraseCode));
        for (std::size_t n : {1u, 7u, 16u})
            requests.push_back(
                Write(t.writeCode, 3, std::vector<THostEntry>(n, THostEntry(t.entrySize, 0x5A))));
        for (const TBytes& r : requests) {
            ASSERT_FALSE(r.empty()) << t.writeCode;
            EXPECT_EQ(r[0], 0xAA);
            EXPECT_EQ(r[1], 1);
            EXPECT_EQ(r[2] | (r[3] << 8), static_cast<int>(r.size()));
            EXPECT_EQ(ByteSum(r), 0) << t.writeCode;
            const auto parsed = ParseHostRequest(r);
            ASSERT_TRUE(parsed) << t.writeCode << " " << r.size();
            EXPECT_EQ(parsed->table->table, t.table);
        }
    }
}

TEST(HostPacket, ReplyChecks) {
    EXPECT_EQ(Reply(1)[6], 0x08);
    TBytes longer = Reply(1);
    longer.push_back(0);
    longer[2] = 77;
    longer[6] = HostChecksum(longer);
    TBytes lengthSays76 = Reply(1);
    lengthSays76.pop_back();
    const struct {
        const char* what;
        TBytes bytes;
        EHostReply expected;
    } cases[] = {
        {"success", Reply(1), EHostReply::Done},
        {"result 0", Reply(0), EHostReply::Refused},
        {"75 bytes", lengthSays76, EHostReply::Invalid},
        {"77 bytes", longer, EHostReply::Invalid},
        {"empty", {}, EHostReply::Invalid},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ClassifyHostReply(c.bytes), c.expected) << c.what;
        EXPECT_EQ(IsValidHostReply(c.bytes), c.expected == EHostReply::Done) << c.what;
    }
    // Any single changed byte breaks the sum (or, at 72 to 75, keeps it valid only with the sum).
    for (std::size_t i = 0; i < kHostReplySize; ++i) {
        TBytes changed = Reply(1);
        changed[i] ^= 0x01;
        EXPECT_EQ(ClassifyHostReply(changed), EHostReply::Invalid) << i;
    }
}

TEST(HostPacket, TerminalRefusesBrokenRequests) {
    const TBytes good = Write("GPWR", 0, {GroupEntry(1, "Floor1"), GroupEntry(2, "Floor2")});
    auto mutate = [&](auto change) {
        TBytes r = good;
        change(r);
        r[6] = HostChecksum(r);
        return r;
    };
    const TBytes cases[] = {
        mutate([](TBytes& r) { r[0] = 0xAB; }),
        mutate([](TBytes& r) { r[1] = 2; }),
        mutate([](TBytes& r) { r[2] = 0; }),
        mutate([](TBytes& r) { r[60] = 'X'; }),
        mutate([](TBytes& r) { r[74] = 3; }),  // count says 3, two entries carried
        mutate([](TBytes& r) { r[74] = 0; }),
        [&] {
            TBytes r = good;
            r[6] ^= 1;
            return r;
        }(),
        TBytes(good.begin(), good.end() - 1),
    };
    ASSERT_TRUE(ParseHostRequest(good));
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_FALSE(ParseHostRequest(cases[i])) << i;
    const auto reply = BuildHostReply(good, 1);
    EXPECT_EQ(ClassifyHostReply(reply), EHostReply::Done);
    EXPECT_EQ(ClassifyHostReply(BuildHostReply(good, 0)), EHostReply::Refused);
}

}  // namespace
