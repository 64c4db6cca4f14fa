#include "kvsetup/kvproto.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(KvProto, HeaderBytesOnTheWire) {
    kvproto::Header h;
    h.kind = 0x86;
    h.requestId = 0x11223344;
    h.mac = {2, 0x4B, 0x56, 0, 0, 7};
    h.result = -6;
    const Bytes payload{0xAA, 0xBB};
    const Bytes expected{'K',  'V',  'S', 'P', 1, 0x86, 2, 0,    0x44, 0x33, 0x22, 0x11, 2,
                         0x4B, 0x56, 0,   0,   7, 0,    0, 0xFA, 0xFF, 0xFF, 0xFF, 0xAA, 0xBB};
    EXPECT_EQ(kvproto::Encode(h, payload), expected);
    const auto m = kvproto::Decode(expected);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->header.kind, 0x86);
    EXPECT_EQ(m->header.requestId, 0x11223344u);
    EXPECT_EQ(m->header.mac, h.mac);
    EXPECT_EQ(m->header.result, -6);
    EXPECT_EQ(Bytes(m->payload.begin(), m->payload.end()), payload);
}

TEST(KvProto, MalformedDatagramsAreRejected) {
    kvproto::Header h;
    h.kind = 1;
    const Bytes good = kvproto::Encode(h, Bytes(3, 9));
    ASSERT_TRUE(kvproto::Decode(good));
    auto with = [&](std::size_t at, std::uint8_t v) {
        Bytes b = good;
        b[at] = v;
        return b;
    };
    Bytes longer = good;
    longer.push_back(0);
    const Bytes cases[] = {
        {},
        Bytes(good.begin(), good.begin() + 23),  // shorter than a header
        Bytes(good.begin(), good.end() - 1),     // payload shorter than announced
        longer,                                  // longer than announced
        with(0, 'X'),                            // magic
        with(4, 2),                              // version
        with(6, 200),                            // length field
    };
    for (const auto& c : cases)
        EXPECT_FALSE(kvproto::Decode(c)) << c.size();
}

}  // namespace
