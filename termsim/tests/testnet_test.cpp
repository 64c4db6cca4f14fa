// The loopback block of a test process: its own, apart from any other process's.
#include "tests/testnet.h"

#include <gtest/gtest.h>

namespace {

TEST(TestNet, AnotherClaimTakesAnotherBlock) {
    const unsigned mine = testnet::Block();
    EXPECT_GE(mine, testnet::kFirstBlock);
    EXPECT_LE(mine, testnet::kLastBlock);
    EXPECT_EQ(testnet::Address(33, 20), 0x7F000000u | mine << 16 | 33u << 8 | 20u);
    // A second claim meets this one's socket, as another process's would, and steps past it.
    const unsigned other = testnet::detail::ClaimBlock();
    EXPECT_GE(other, testnet::kFirstBlock);
    EXPECT_NE(other, mine);
}

TEST(TestNet, TextsMoveIntoTheBlock) {
    const std::string n = std::to_string(testnet::Block());
    const struct {
        const char* text;
        std::string expected;
    } cases[] = {
        {"127.0.33.20\tOK", "127." + n + ".33.20\tOK"},
        {"T=127.0.41.1-127.0.41.2", "T=127." + n + ".41.1-127." + n + ".41.2"},
        {"127.0.", "127." + n + "."},
        {"from 127.0.0.1", "from 127.0.0.1"},  // the host's own loopback stays
        {"10.127.0.5 and 1127.0.3.4", "10.127.0.5 and 1127.0.3.4"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(testnet::InBlock(c.text), c.expected) << c.text;
    EXPECT_EQ(testnet::Range(7, 1, 9), "127." + n + ".7.1-127." + n + ".7.9");
}

}  // namespace
