#include "common/textcodec.h"

#include <gtest/gtest.h>

#include <string_view>
#include <vector>

#include "common/textutil.h"

namespace {

// 显示名称 in GBK: four characters, two bytes each.
const std::string kDisplayNameUtf8 = "显示名称";
const std::string kDisplayNameGbk = "\xCF\xD4\xCA\xBE\xC3\xFB\xB3\xC6";

TEST(TextCodec, GbkRoundTrip) {
    EXPECT_EQ(ToDeviceBytes(kDisplayNameUtf8), kDisplayNameGbk);
    EXPECT_EQ(FromDeviceBytes(kDisplayNameGbk), kDisplayNameUtf8);
    EXPECT_EQ(ToDeviceBytes("Lobby 1001"), "Lobby 1001");
    EXPECT_EQ(FromDeviceBytes(""), "");
}

TEST(TextCodec, LimitNeverCutsACharacter) {
    struct Case {
        std::string utf8;
        std::size_t limit;
        std::string expected;
    };
    const Case cases[] = {
        {kDisplayNameUtf8, 8, kDisplayNameGbk},
        {kDisplayNameUtf8, 7, kDisplayNameGbk.substr(0, 6)},
        {kDisplayNameUtf8, 1, ""},
        {"A" + kDisplayNameUtf8, 4, "A" + kDisplayNameGbk.substr(0, 2)},
        {"AB" + kDisplayNameUtf8, 5, "AB" + kDisplayNameGbk.substr(0, 2)},
        {"门口机-1", 5, "\xC3\xC5\xBF\xDA"},  // stops at the first character that does not fit
        {"plain ascii text", 5, "plain"},
        {"", 3, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ToDeviceBytesLimited(c.utf8, c.limit), c.expected) << c.utf8 << " / " << c.limit;
    }
}

TEST(TextCodec, UndecodableBytesBecomeReplacementCharacters) {
    // A lone lead byte at the end, and an invalid pair, each give U+FFFD and decoding goes on.
    EXPECT_EQ(FromDeviceBytes("AB\xCF"), "AB\xEF\xBF\xBD");
    EXPECT_EQ(FromDeviceBytes(std::string("\xFF") + "A"), std::string("\xEF\xBF\xBD") + "A");
    EXPECT_EQ(FromDeviceBytes("\xCF\xD4\xFF"), "显\xEF\xBF\xBD");
}

TEST(TextCodec, UnencodableAndMalformedInputBecomesQuestionMarks) {
    EXPECT_EQ(ToDeviceBytes(std::string("a\xF0\x9F\x98\x80") + "b"),
              "a?b");                                             // an emoji GBK cannot express
    EXPECT_EQ(ToDeviceBytes(std::string("a\xC3") + "b"), "a?b");  // a cut UTF-8 sequence
    EXPECT_EQ(SanitizeUtf8("x\xC0\xAFy"), "x\xEF\xBF\xBD\xEF\xBF\xBDy");  // overlong form
}

TEST(TextCodec, CodePageCanBeChanged) {
    EXPECT_FALSE(SetDeviceCodePage("NO-SUCH-PAGE"));
    EXPECT_EQ(DeviceCodePage(), "GBK");
    ASSERT_TRUE(SetDeviceCodePage("CP1252"));
    EXPECT_EQ(ToDeviceBytes("é"), "\xE9");
    EXPECT_EQ(FromDeviceBytes("\xE9"), "é");
    ASSERT_TRUE(SetDeviceCodePage("GBK"));
    EXPECT_EQ(ToDeviceBytes("é"), "\xA8\xA6");
}

TEST(TextCodec, Utf8PrefixEndsBetweenCharacters) {
    const std::pair<std::size_t, std::string_view> cases[] = {
        {10, "a显示b"}, {8, "a显示b"}, {7, "a显示"}, {6, "a显"}, {3, "a"}, {1, "a"}, {0, ""},
    };
    for (const auto& [maxBytes, expected] : cases)
        EXPECT_EQ(Utf8Prefix("a显示b", maxBytes), expected) << maxBytes;
}

TEST(TextUtil, EveryLineEndEndsALine) {
    struct Case {
        std::string_view bytes;
        std::vector<std::string_view> lines;
        std::vector<std::size_t> endSizes;
    } cases[] = {
        {"a\r\nb\nc\rd", {"a", "b", "c", "d"}, {2, 1, 1, 0}},
        {"\r\r\n\n", {"", "", ""}, {1, 2, 1}},
        {"x\n\ry", {"x", "", "y"}, {1, 1, 0}},
    };
    for (const Case& c : cases) {
        std::string_view rest = c.bytes;
        std::vector<std::string_view> lines;
        std::vector<std::size_t> endSizes;
        while (!rest.empty()) {
            std::size_t endSize = 0;
            lines.push_back(TakeLine(rest, &endSize));
            endSizes.push_back(endSize);
        }
        EXPECT_EQ(lines, c.lines) << c.bytes;
        EXPECT_EQ(endSizes, c.endSizes) << c.bytes;
    }
}

}  // namespace
