#include "manager/access/addresstext.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/textcodec.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ToBytes(std::string_view s) {
    return Bytes(s.begin(), s.end());
}

// --- Fixed-width fields ---------------------------------------------------------------------

struct StrToFixedCase {
    const char* name;
    std::string text;
    std::size_t width;
    Bytes expected;  // the whole field after the call; it starts filled with 0xAA
};

TEST(StrToFixed, StoresDeviceBytesAndLeavesTheRestOfTheField) {
    const std::string gbkName = "\xCF\xD4\xCA\xBE\xC3\xFB\xB3\xC6";  // 显示名称 in GBK
    const std::vector<StrToFixedCase> cases = {
        {"fits", "1001", 8, {'1', '0', '0', '1', 0, 0xAA, 0xAA, 0xAA}},
        {"20 chars into 16 bytes", "ABCDEFGHIJKLMNOPQRST", 16,
         ToBytes(std::string("ABCDEFGHIJKLMNO\0", 16))},
        {"exactly width-1", "1234567", 8, ToBytes(std::string("1234567\0", 8))},
        {"empty text", "", 4, {0, 0xAA, 0xAA, 0xAA}},
        {"width 1 holds only the zero", "abc", 1, {0}},
        {"width 0 writes nothing", "abc", 0, {}},
        // Four Chinese characters are 8 GBK bytes; an 8-byte field keeps three of them.
        {"Chinese cut at a character",
         "显示名称",
         8,
         {0xCF, 0xD4, 0xCA, 0xBE, 0xC3, 0xFB, 0, 0xAA}},
        {"Chinese odd width", "显示名称", 6, {0xCF, 0xD4, 0xCA, 0xBE, 0, 0xAA}},
        {"Chinese fits", "显示名称", 9, ToBytes(gbkName + '\0')},
        // "A显示" is 5 bytes: a limit of 4 must not keep half of 示.
        {"mixed cut at odd limit", "A显示", 5, {'A', 0xCF, 0xD4, 0, 0xAA}},
        {"mixed fits", "A显示", 6, {'A', 0xCF, 0xD4, 0xCA, 0xBE, 0}},
    };
    for (const auto& c : cases) {
        Bytes field(c.expected.size() + 1, 0xAA);  // one guard byte behind the field
        StrToFixed(c.text, field.data(), c.width);
        EXPECT_EQ(field.back(), 0xAA) << c.name << ": wrote past the field";
        field.pop_back();
        EXPECT_EQ(field, c.expected) << c.name;
    }
}

struct FixedToStrCase {
    const char* name;
    std::string field;  // bytes, may contain zeros
    std::string expected;
};

TEST(FixedToStr, ReadsUpToZeroOrWidthAndTrims) {
    const std::vector<FixedToStrCase> cases = {
        {"16 characters without zero", "ABCDEFGHIJKLMNOP", "ABCDEFGHIJKLMNOP"},
        {"space digits space", std::string(" 1001 \0\0\0\0\0\0\0\0\0\0", 16), "1001"},
        {"controls and spaces trimmed", std::string("\t\x01 ab c\x1F\r\n\0", 10), "ab c"},
        {"bytes after the zero ignored", std::string("ab\0cd", 5), "ab"},
        {"all zero", std::string(8, '\0'), ""},
        {"only blanks", "    ", ""},
        {"GBK name", std::string("\xCF\xD4\xCA\xBE\xC3\xFB\0\0", 8), "显示名"},
        {"GBK without zero", "\xCF\xD4\xCA\xBE", "显示"},
        // A lone lead byte cut by the field end, and bytes GBK does not know.
        {"lead byte at the end", "AB\xCF", "AB\xEF\xBF\xBD"},
        {"garbage bytes", "\xFF\xFF", "\xEF\xBF\xBD\xEF\xBF\xBD"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FixedToStr(reinterpret_cast<const std::uint8_t*>(c.field.data()), c.field.size()),
                  c.expected)
            << c.name;
    }
}

TEST(FixedToStr, WidthLimitsTheRead) {
    const std::uint8_t field[] = {'a', 'b', 'c', 'd', 'e'};  // no zero byte at all
    EXPECT_EQ(FixedToStr(field, 3), "abc");
    EXPECT_EQ(FixedToStr(field, 0), "");
}

TEST(FixedText, ChineseRoundTripThroughOddWidths) {
    const std::vector<std::pair<std::size_t, std::string>> cases = {
        {1, ""},     {2, ""},       {3, "显"},     {4, "显"},       {5, "显示"},
        {6, "显示"}, {7, "显示名"}, {8, "显示名"}, {9, "显示名称"}, {32, "显示名称"},
    };
    for (const auto& [width, expected] : cases) {
        Bytes field(width, 0);
        StrToFixed("显示名称", field.data(), width);
        EXPECT_EQ(FixedToStr(field.data(), width), expected) << "width " << width;
    }
}

// --- Dotted forms ---------------------------------------------------------------------------

TEST(DottedText, BytesToText) {
    const std::uint8_t ip[] = {0xC0, 0xA8, 0x01, 0x14};
    const std::uint8_t mac[] = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
    const std::uint8_t extremes[] = {0, 255, 10, 100};
    EXPECT_EQ(IpToText(ip), "192.168.1.20");
    EXPECT_EQ(IpToText(extremes), "0.255.10.100");
    EXPECT_EQ(MacToText(mac), "0.26.43.60.77.94");
    EXPECT_EQ(BytesToDotted(ip, 4), "192.168.1.20");
    EXPECT_EQ(BytesToDotted(ip, 1), "192");
    EXPECT_EQ(BytesToDotted(ip, 0), "");
}

struct TextToMacCase {
    std::string text;
    TMacBytes expected;
};

TEST(TextToMac, ReadsSixGroupsOfUpToThreeCharacters) {
    const std::vector<TextToMacCase> cases = {
        {"0.26.43.60.77.94", {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}},
        {"", {0, 0, 0, 0, 0, 0}},
        {"1.2.3", {1, 2, 3, 0, 0, 0}},
        {"255.255.255.255.255.255", {255, 255, 255, 255, 255, 255}},
        {"1/2/3/4/5/6", {1, 2, 3, 4, 5, 6}},
        // 256 wraps; a fourth digit is taken as the separator.
        {"256.0.0.0.0.1", {0, 0, 0, 0, 0, 1}},
        // The fourth digit is skipped as the separator; the next group then starts at the dot.
        {"1234.5.6.7.8.9", {123, 0, 5, 6, 7, 8}},
        {"1..3", {1, 0, 3, 0, 0, 0}},
        // Characters that are not digits still shift in: 'a' counts 49, so 100*0+10*0+49.
        {"a.1", {49, 1, 0, 0, 0, 0}},
        // A space counts -16, taken modulo 256.
        {" .1", {240, 1, 0, 0, 0, 0}},
        // A zero byte is no separator: 1, -48, 2 give -378, which is 134 modulo 256.
        {std::string("1\0"
                     "2",
                     3),
         {134, 0, 0, 0, 0, 0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TextToMac(c.text), c.expected) << c.text;
}

TEST(TextToMac, RoundTripsEveryOctet) {
    for (int v = 0; v < 256; ++v) {
        const auto b = static_cast<std::uint8_t>(v);
        const std::uint8_t mac[] = {b, static_cast<std::uint8_t>(255 - v), 0, b, 9, b};
        TMacBytes back = TextToMac(MacToText(mac));
        EXPECT_EQ(0, std::memcmp(back.data(), mac, 6)) << MacToText(mac);
    }
}

// --- Address checks -------------------------------------------------------------------------

struct CheckCase {
    std::string text;
    bool ip, strict, lenient;  // IsValidIP, IsValidIPStrict, IsValidIPLenient
};

TEST(AddressChecks, EachCheckKeepsItsOwnRules) {
    const std::vector<CheckCase> cases = {
        {"192.168.1.10", true, true, true},
        {"0.0.0.0", false, true, true},
        {"", false, false, false},
        {"192.168.1", false, false, false},
        {"1.2.3", false, false, false},
        {".1.2.3.4", false, false, false},
        {"1.2.3.4.5", true, false, true},
        {"1.2.3.4.", true, false, true},
        {"1.2.3.300", false, false, false},
        {"1.2.3.256", false, false, false},
        {"256.1.1.1", false, false, false},
        {"192. 168.1.10", true, false, true},
        {" 192.168.1.10 ", true, false, true},
        {"a.b.c.d", false, false, true},
        {"abcdefgh", false, false, false},
        {"1.2.3.x", false, false, true},
        {"1.2..4", false, false, false},   // 6 characters
        {"1.2...4", false, false, true},   // empty groups count 255 in the lenient check
        {"1.2.3.-1", false, false, true},  // a sign is not a digit
        {"1.2.3.+1", false, false, true},
        {"001.002.003.004", true, true, true},
        {"1.2.3.99999999999999999999999", false, false, false},
        {"1.2.3.\t4", false, false, true},
        {std::string("1.2.3.4\0", 8), false, false, true},
        {std::string("1.2.3.\0"
                     "4",
                     8),
         false, false, true},
        {"１.２.３.４", false, false, true},  // full-width digits are not decimal digits
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsValidIP(c.text), c.ip) << "IsValidIP " << c.text;
        EXPECT_EQ(IsValidIPStrict(c.text), c.strict) << "IsValidIPStrict " << c.text;
        EXPECT_EQ(IsValidIPLenient(c.text), c.lenient) << "IsValidIPLenient " << c.text;
    }
}

TEST(TextToIpField, TakesTheFourGroupsOfAValidText) {
    const std::vector<std::pair<std::string, TIpBytes>> cases = {
        {"10.0.0.1", {0x0A, 0x00, 0x00, 0x01}},
        {"0.0.0.0", {0, 0, 0, 0}},
        {"10.0.0", {0, 0, 0, 0}},
        {"192. 168.1.10", {192, 168, 1, 10}},
        {"1.2.3.4.5", {1, 2, 3, 4}},
        {"255.255.255.255", {255, 255, 255, 255}},
        {"1.2.3.256", {0, 0, 0, 0}},
        // Leading zeros beyond three digits keep the group's value.
        {"0010.0.0.1", {10, 0, 0, 1}},
        {"a.b.c.d", {0, 0, 0, 0}},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(TextToIpField(text), expected) << text;
}

// --- Model and hexadecimal texts ------------------------------------------------------------

TEST(IsSipModel, LooksForSipInTheTrimmedUpperCasedModel) {
    const std::vector<std::pair<std::string, bool>> cases = {
        {"IP-sip-2000", true},
        {"SIP", true},
        {"  xSiPy  ", true},
        {"", false},
        {"S I P", false},
        {"PA-100", false},
        {std::string("PA\0SIP", 6), false},  // after the terminator
    };
    for (const auto& [model, expected] : cases) {
        std::uint8_t field[32] = {};
        std::memcpy(field, model.data(), model.size());
        EXPECT_EQ(IsSipModel(field), expected) << model;
    }
    std::uint8_t full[32];
    std::memset(full, 'x', sizeof full);
    std::memcpy(full + 29, "SIP", 3);  // no zero byte; the last three bytes still count
    EXPECT_TRUE(IsSipModel(full));
}

TEST(HexToBytes, PairsUntilTheFirstNonHexPair) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", ""},        {"00", std::string(1, '\0')},
        {"4a4B", "JK"},  {"414", "A"},
        {"41zz42", "A"}, {"41 42", "A"},
        {"g1", ""},      {"ff00FF", std::string("\xFF\x00\xFF", 3)},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(HexToBytes(text), expected) << text;
    }
}

}  // namespace
