// Differences between two blocks as `params diff` tells them: names and forms of `params get`,
// one line per value, copies and page-fed fields told once, reserved bytes and run status silent.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include "manager/params/paramdiff.h"

#include "manager/params/paramfamily.h"

namespace {

TParamBlock Terminal(const char* model) {
    TParamBlock block;
    SetFieldText(block, ParamField("display_name"), "Lobby");
    SetFieldText(block, ParamField("sip.user"), "8001");
    std::copy_n(model, std::strlen(model), block.begin() + kParamModelOffset);
    SetKeyRecord(block, 0, {false, "8001", 0});
    return block;
}

TEST(ParamDiff, OneLinePerValueInTheFormsPeopleRead) {
    const struct {
        const char* what;
        void (*change)(TParamBlock&);
        std::vector<std::string> lines;
    } cases[] = {
        {"equal", [](TParamBlock&) {}, {}},
        {"display name, its copy not told apart",
         [](TParamBlock& b) { SetFieldText(b, ParamField("display_name"), "Gate"); },
         {"display_name: Lobby → Gate"}},
        {"key mode and target, as the key page shows the key",
         [](TParamBlock& b) {
             SetKeyRecord(b, 0, {true, "239.0.0.1", 5000});
         },
         {"key1: call:8001 → multicast:239.0.0.1:5000"}},
        {"an emptied text",
         [](TParamBlock& b) { SetFieldText(b, ParamField("sip.user"), ""); },
         {"sip.user: 8001 → \"\""}},
        {"run status, a reserved byte, bytes behind a terminator",
         [](TParamBlock& b) {
             b[kParamRunStatusOffset] = 0x41;
             b[1200] = 7;
             b[796 + 10] = 'x';  // behind "Lobby" and its zero byte
         },
         {}},
        {"two values",
         [](TParamBlock& b) {
             SetFieldIp(b, ParamField("ip"), "10.1.1.20");
             SetFieldInt(b, ParamField("mgmt.port"), 9000);
         },
         {"ip: 0.0.0.0 → 10.1.1.20", "mgmt.port: 0 → 9000"}},
    };
    for (const auto& c : cases) {
        const TParamBlock before = Terminal("SIP1601");
        TParamBlock after = before;
        c.change(after);
        std::vector<std::string> lines;
        for (const TParamDifference& d : DiffParamBlocks(before, after))
            lines.push_back(DifferenceLine(d));
        EXPECT_EQ(lines, c.lines) << c.what;
    }
}

TEST(ParamDiff, AValueOfAPageOnlyOneSideHasShowsEmptyOnTheOther) {
    // Family 520 has no key page: its key values are not compared with the keys of a 1601.
    const std::vector<TParamDifference> d =
        DiffParamBlocks(Terminal("SIP520"), Terminal("SIP1601"));
    ASSERT_FALSE(d.empty());
    EXPECT_EQ(d.front(), (TParamDifference{"model", "SIP520", "SIP1601"}));
    const auto key1 = std::find_if(d.begin(), d.end(), [](auto& x) { return x.name == "key1"; });
    ASSERT_NE(key1, d.end());
    EXPECT_EQ(key1->first, "");
    EXPECT_EQ(key1->second, "call:8001");
}

}  // namespace
