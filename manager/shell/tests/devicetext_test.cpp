// Splitting device texts, as they come from the command line and from other programs.
#include "manager/shell/devicetext.h"

#include <gtest/gtest.h>

namespace {

using Fields = std::vector<std::string>;

TEST(DeviceTextTest, SplittingFollowsTheDelimitedListRule) {
    struct Case {
        std::string text;
        Fields fields;
    };
    const std::vector<Case> cases = {
        {"1001;Gate;127.0.9.1;0.26.43.60.77.94;SIP-520;V2.6;127.0.0.1",
         {"1001", "Gate", "127.0.9.1", "0.26.43.60.77.94", "SIP-520", "V2.6", "127.0.0.1"}},
        {"", {}},
        {"   ", {}},
        {"a;;b", {"a", "", "b"}},
        {";", {"", ""}},
        {"a;", {"a", ""}},
        {"a; ", {"a"}},
        {";;a", {"", "", "a"}},
        {"a b;c", {"a", "b", "c"}},
        {"  a ;  b  ", {"a", "b"}},
        {"a\tb\r\nc", {"a", "b", "c"}},
        {"\"a;b\";\"say \"\"hi\"\"\";x", {"a;b", "say \"hi\"", "x"}},
        {"\"Front Door\";2", {"Front Door", "2"}},
        {"\"\";x", {"", "x"}},
        {"\"unterminated; rest", {"unterminated; rest"}},
        {"\"ab\"cd;e", {"ab", "cd", "e"}},
        {"x\"y\";z", {"x\"y\"", "z"}},
        {std::string("a;b\0c;d", 7), {"a", "b"}},
        {"\xE9\x97\xA8 \xE5\x8F\xA3;1", {"\xE9\x97\xA8", "\xE5\x8F\xA3", "1"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SplitDelimitedText(c.text), c.fields) << c.text;
}

TEST(DeviceTextTest, SevenFieldsWithMissingOnesEmpty) {
    struct Case {
        std::string text;
        Fields fields;  // account, name, ip, mac, model, firmware, interface
    };
    const std::vector<Case> cases = {
        {" 1001;\"Front Door\";127.0.9.1;0.26.43.60.77.94;SIP-520;V2.6;127.0.0.1 ",
         {"1001", "Front Door", "127.0.9.1", "0.26.43.60.77.94", "SIP-520", "V2.6", "127.0.0.1"}},
        {"1001;Gate", {"1001", "Gate", "", "", "", "", ""}},
        {"1;2;3;4;5;6;7;8;9", {"1", "2", "3", "4", "5", "6", "7"}},
        {"", {"", "", "", "", "", "", ""}},
        {"\xFF\xFE;ok", {"\xEF\xBF\xBD\xEF\xBF\xBD", "ok", "", "", "", "", ""}},
    };
    for (const Case& c : cases) {
        const TDeviceText d = ParseDeviceText(c.text);
        EXPECT_EQ((Fields{d.account, d.displayName, d.ip, d.mac, d.model, d.firmware,
                          d.interfaceAddress}),
                  c.fields)
            << c.text;
    }
}

}  // namespace
