#include "manager/params/paramtexts.h"

#include <gtest/gtest.h>

#include "manager/params/paramchecks.h"

namespace {

TEST(StatusText, RegistrationAndKnownActivity) {
    const struct {
        std::uint8_t status;
        const char* text;
    } cases[] = {
        {0x00, "正在注册, 空闲"},     {0x40, "已经注册, 空闲"},
        {0x41, "已经注册"},           {0x48, "已经注册, 播放"},
        {0x99, "正在注册, 远端呼入"}, {0x75, "已经注册, 手动模式(播放)"},
        {0x3F, "正在注册"},           {0xF4, "已经注册, 手动模式(空闲)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StatusText(c.status), c.text) << int{c.status};
    TStatusWords words = DefaultStatusWords();
    words.terminal[1] = "Registered";
    words.work[1] = "Playing";
    EXPECT_EQ(StatusText(0x48, words), "Registered, Playing");
}

TEST(TimeZone, TextsAndMinutes) {
    const struct {
        int minutes;
        const char* text;
    } both[] = {
        {480, "+08:00"}, {-210, "-03:30"}, {0, "+00:00"}, {345, "+05:45"}, {-720, "-12:00"}};
    for (const auto& c : both) {
        EXPECT_EQ(TimeZoneText(c.minutes), c.text);
        EXPECT_EQ(TimeZoneMinutes(c.text), c.minutes) << c.text;
    }
    const struct {
        const char* text;
        int minutes;
    } parsed[] = {{" +05:30 ", 330}, {"", 0},     {"+0800", 0},
                  {"+08:xx", 0},     {"8:00", 0}, {"+99999999:00", 0}};
    for (const auto& c : parsed)
        EXPECT_EQ(TimeZoneMinutes(c.text), c.minutes) << c.text;
    EXPECT_EQ(TimeZoneTexts().size(), 37u);
    EXPECT_EQ(TimeZoneTexts()[kDefaultTimeZoneIndex], "+08:00");
}

TEST(PageChecks, FirstFailingBoxWithItsMessage) {
    const struct {
        TNetworkInput input;
        const char* field;  // nullptr: passes
        int keyWord;
    } cases[] = {
        {{false, "", "255.0.0.0", "10.1.1.1", true, "", ""}, "ip", 1},
        {{true, "", "", "", true, "", ""}, nullptr, 0},
        {{false, "0.0.0.0", "255.0.0.0", "10.1.1.1", false, "", ""}, nullptr, 0},
        {{false, "10.1.1.2", "255.0.0", "x", true, "", ""}, "mask", 2},
        {{false, "10.1.1.2", "255.0.0.0", "10.1.1.256", true, "", ""}, "gateway", 3},
        {{true, "", "", "", true, "1.2.3", ""}, "dns1", 4},
        {{true, "", "", "", false, " ", "8.8.8.888"}, "dns2", 5},
    };
    for (const auto& c : cases) {
        const auto failure = CheckNetworkInput(c.input);
        if (!c.field) {
            EXPECT_FALSE(failure) << failure->field;
            continue;
        }
        ASSERT_TRUE(failure) << c.field;
        EXPECT_EQ(failure->field, c.field);
        EXPECT_EQ(failure->keyWord, c.keyWord);
    }
    EXPECT_EQ(CheckNetworkInput({false, "", "", "", true, "", ""})->defaultText,
              "IP地址为空或不正确，请查正");
    EXPECT_FALSE(CheckTimeServers("", " 10.1.1.1 "));
    const auto second = CheckTimeServers("", "10.1.1");
    ASSERT_TRUE(second);
    EXPECT_EQ(second->field, "time_server2");
    EXPECT_EQ(second->defaultText, "时区服务器地址不正确，请查正！");
    EXPECT_EQ(PropertyMessageKey(12), "Pelmora/Messagedlg/FrmProperty/keyWord12");
}

}  // namespace
