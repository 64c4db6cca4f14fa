// The update protocol's bytes on the wire, checksums and reply rules.
#include <gtest/gtest.h>

#include <string>

#include "updater/checksum.h"
#include "updater/ipv4text.h"
#include "updater/protocol.h"

namespace {

TBytes Bytes(std::initializer_list<int> values) {
    TBytes out;
    for (int v : values)
        out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

TEST(Checksums, KnownValues) {
    const std::string check = "123456789";
    auto* data = reinterpret_cast<const std::uint8_t*>(check.data());
    EXPECT_EQ(Crc16(data, check.size()), 0x31C3);
    EXPECT_EQ(Crc16(data, 0), 0x0000);
    EXPECT_EQ(AdditiveChecksum(data, check.size()), 0x01DD);
    TBytes many(300, 0xFF);  // 300 x 255 = 76500, kept modulo 65536
    EXPECT_EQ(AdditiveChecksum(many.data(), many.size()), 76500 % 65536);
}

// The word-wise sum against a byte-by-byte one, for every length and start offset around a block,
// with mixed bytes and with all bytes 0xFF (the largest partial sums).
TEST(Checksums, AdditiveSumOfAnyLengthAndAlignment) {
    TBytes mixed(1300), full(1300, 0xFF);
    for (std::size_t i = 0; i < mixed.size(); ++i)
        mixed[i] = static_cast<std::uint8_t>(i * 151 + 7);
    for (const TBytes& data : {mixed, full})
        for (std::size_t offset = 0; offset < 8; ++offset)
            for (std::size_t count = 0; offset + count <= data.size(); ++count) {
                unsigned plain = 0;
                for (std::size_t i = offset; i < offset + count; ++i)
                    plain += data[i];
                ASSERT_EQ(AdditiveChecksum(data.data() + offset, count), plain % 65536)
                    << offset << " " << count;
            }
}

TEST(Requests, FixedRequests) {
    EXPECT_EQ(QueryRequest(), Bytes({0xFA, 0xFA, 0x01, 0xF4}));
    EXPECT_EQ(ResetRequest(), Bytes({0xFA, 0xF7, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x03, 0x56}));
    TBytes logout = LogoutRequest();
    ASSERT_EQ(logout.size(), 42u);
    TBytes expected(42, 0);
    expected[8] = 0x15;
    std::uint16_t crc = Crc16(expected.data(), 40);
    expected[40] = crc & 0xFF;
    expected[41] = crc >> 8;
    EXPECT_EQ(logout, expected);
}

TEST(Requests, LoginLayout) {
    struct Case {
        std::uint8_t sequence;
        std::string password;
        std::string field;  // the 16 bytes at offset 24
    } cases[] = {
        {0, "", std::string(16, '\0')},
        {254, "admin", std::string("admin") + std::string(11, '\0')},
        {17, "0123456789abcdef", "0123456789abcdef"},  // fills the field, no terminator
    };
    for (const Case& c : cases) {
        TBytes login = LoginRequest(c.sequence, c.password);
        ASSERT_EQ(login.size(), 42u);
        EXPECT_EQ(login[7], c.sequence);
        EXPECT_EQ(login[8], 0x11);
        EXPECT_EQ(std::string(login.begin() + 24, login.begin() + 40), c.field);
        for (int i : {0, 1, 2, 3, 4, 5, 6, 9, 15, 23})
            EXPECT_EQ(login[i], 0) << "offset " << i;
        std::uint16_t crc = Crc16(login.data(), 40);
        EXPECT_EQ(login[40], crc & 0xFF);
        EXPECT_EQ(login[41], crc >> 8);
    }
}

TEST(Requests, ImageBlocksOfA2600ByteImage) {
    TBytes image(2600);
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i % 253 + 1);
    struct Case {
        std::size_t k;
        std::uint8_t addr1, addr0;
        std::size_t from, count;
    } cases[] = {{1, 0x00, 0x04, 1280, 1280}, {2, 0x00, 0x08, 2560, 40}, {0, 0x00, 0x00, 0, 1280}};
    for (const Case& c : cases) {
        TBytes block = ImageBlock(image, c.k);
        ASSERT_EQ(block.size(), 1286u);
        EXPECT_EQ(block[0], 0xFA);
        EXPECT_EQ(block[1], 0xF8);
        EXPECT_EQ(block[2], c.addr1) << "block " << c.k;
        EXPECT_EQ(block[3], c.addr0) << "block " << c.k;
        EXPECT_TRUE(
            std::equal(block.begin() + 4, block.begin() + 4 + c.count, image.begin() + c.from));
        EXPECT_TRUE(std::all_of(block.begin() + 4 + c.count, block.end() - 2,
                                [](std::uint8_t b) { return b == 0; }));
        std::uint16_t sum = AdditiveChecksum(block.data(), 1284);
        EXPECT_EQ(block[1284], sum >> 8);
        EXPECT_EQ(block[1285], sum & 0xFF);
    }
    // Block 64 sits at address 65536: address byte 1 carries bits 16 to 23.
    TBytes far = ImageBlock(TBytes(90000), 64);
    EXPECT_EQ(far[2], 0x01);
    EXPECT_EQ(far[3], 0x00);
    // An empty image still gives block 0 of 1280 zeros.
    TBytes empty = ImageBlock({}, 0);
    EXPECT_EQ(empty[0], 0xFA);
    EXPECT_EQ(empty[1], 0xF8);
    EXPECT_TRUE(
        std::all_of(empty.begin() + 2, empty.end() - 2, [](std::uint8_t b) { return b == 0; }));
}

TEST(Requests, PakBlocks) {
    TBytes pak(1500, 0x5A);
    TBytes block = PakBlock(pak, 1);
    ASSERT_EQ(block.size(), 1030u);
    EXPECT_EQ(block[1], 0xF6);
    EXPECT_EQ(block[2], 0x00);
    EXPECT_EQ(block[3], 0x04);
    EXPECT_EQ(block[4], 0x5A);
    EXPECT_EQ(block[4 + 475], 0x5A);
    EXPECT_EQ(block[4 + 476], 0x00);
    std::uint16_t sum = AdditiveChecksum(block.data(), 1028);
    EXPECT_EQ(block[1028], sum >> 8);
    EXPECT_EQ(block[1029], sum & 0xFF);
}

TBytes LoginReplyBytes(std::uint8_t sequence, std::uint8_t command, bool rightCrc) {
    TBytes reply(23, 0);
    reply[7] = sequence;
    reply[8] = command;
    std::uint16_t crc = Crc16(reply.data(), 21);
    if (!rightCrc) crc ^= 1;
    reply[21] = crc & 0xFF;
    reply[22] = crc >> 8;
    return reply;
}

TEST(Replies, Login) {
    TBytes longer = LoginReplyBytes(9, 0x11, true);
    longer.push_back(0);
    TBytes otherZero(30, 0);
    TBytes otherNonZero(30, 0);
    otherNonZero[7] = 5;
    struct Case {
        TBytes reply;
        std::uint8_t sequence;
        ELoginReply expected;
    } cases[] = {
        {LoginReplyBytes(9, 0x11, true), 9, ELoginReply::Accepted},
        {LoginReplyBytes(0, 0x11, true), 0, ELoginReply::Accepted},  // sequence 0 is fine
        {LoginReplyBytes(9, 0x11, false), 9, ELoginReply::Refused},
        {LoginReplyBytes(8, 0x11, true), 9, ELoginReply::Other},  // another login's echo
        {LoginReplyBytes(9, 0x15, true), 9, ELoginReply::Other},
        {longer, 9, ELoginReply::Other},
        {otherZero, 9, ELoginReply::Abort},
        {otherNonZero, 9, ELoginReply::Other},
        {TBytes{1, 2, 3}, 9, ELoginReply::Other},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(ClassifyLoginReply(cases[i].reply, cases[i].sequence), cases[i].expected)
            << "case " << i;
}

TEST(Replies, QueryAndBlocks) {
    EXPECT_FALSE(ParseQueryReply(TBytes(8, 1)));
    TBytes reply(33, 0);
    std::string type = "SIP520", version = "V2.6.1";
    std::copy(type.begin(), type.end(), reply.begin() + 1);
    std::copy(version.begin(), version.end(), reply.begin() + 17);
    std::optional<TQueryReply> parsed = ParseQueryReply(reply);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->deviceType, "SIP520");
    EXPECT_EQ(parsed->version, "V2.6.1");
    // A 16-byte version has no terminator; a short reply cuts the texts at its end.
    std::fill(reply.begin() + 17, reply.end(), 'x');
    EXPECT_EQ(ParseQueryReply(reply)->version, std::string(16, 'x'));
    TBytes shortReply(9, 'A');
    EXPECT_EQ(ParseQueryReply(shortReply)->deviceType, std::string(8, 'A'));
    EXPECT_EQ(ParseQueryReply(shortReply)->version, "");

    EXPECT_EQ(ClassifyBlockReply(Bytes({0xFA, 0xF8, 0, 1, 2})), EBlockReply::Accepted);
    EXPECT_EQ(ClassifyBlockReply(Bytes({0xFA, 0xF8, 7, 1, 2})), EBlockReply::Rejected);
    EXPECT_EQ(ClassifyBlockReply(Bytes({0xFA, 0xF8, 0, 1})), EBlockReply::Other);
    EXPECT_EQ(ClassifyBlockReply(Bytes({0xFA, 0xF8, 0, 1, 2, 3})), EBlockReply::Other);
}

TEST(Results, Texts) {
    EXPECT_EQ(ResultText(0), "Done");
    EXPECT_EQ(ResultText(1), "This update package is not suitable for the target device");
    EXPECT_EQ(ResultText(2), "The target decice is offline");
    EXPECT_EQ(ResultText(3), "Login is faulst");
    EXPECT_EQ(ResultText(4), "The update package or device is damaged");
    EXPECT_EQ(ResultText(5), "Can't find the device after update process");
    EXPECT_EQ(ResultText(6), "");
}

TEST(IpText, BothDirections) {
    struct Case {
        const char* text;
        std::optional<std::uint32_t> address;
    } cases[] = {
        {"192.168.1.20", 0xC0A80114},
        {" 192.168.1.20 ", 0xC0A80114},
        {"192.168.001.020", 0xC0A80114},
        {"1.2.3.4", 0x01020304},
        {"0.0.0.0", 0},
        {"255.255.255.255", 0xFFFFFFFF},
        {"1.2.3", std::nullopt},
        {"1.2.3.4.5", std::nullopt},
        {"256.1.1.1", std::nullopt},
        {"1..2.3.4", std::nullopt},
        {"1.2.3.", std::nullopt},
        {"a.b.c.d.e", std::nullopt},
        {"1.2.3.4x", std::nullopt},
        {"", std::nullopt},
        {"1.2.3.0000000000000000004", 0x01020304},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseIpText(c.text), c.address) << c.text;
    EXPECT_EQ(IpTextOf(0xC0A80114), "192.168.1.20");
    EXPECT_EQ(IpTextOf(0), "0.0.0.0");
    EXPECT_EQ(IpTextOf(0x7F000101), "127.0.1.1");
}

}  // namespace
