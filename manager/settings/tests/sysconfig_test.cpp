#include "manager/settings/sysconfig.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "manager/settings/testing/memorysettingsstore.h"

namespace {

class SysConfigTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("sysconfig_test_" + std::to_string(std::random_device{}()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_ / "program");
        place_.programFolder = (dir_ / "program").string();
        place_.userStore = &user_;
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string IniPath() const { return (dir_ / "program" / "SysConfig.ini").string(); }
    void WriteIni(const std::string& bytes) const {
        std::ofstream(IniPath(), std::ios::binary) << bytes;
    }
    std::string IniBytes() const {
        std::ifstream in(IniPath(), std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }

    std::filesystem::path dir_;
    TMemorySettingsStore user_;
    TSysConfigPlace place_;
};

TEST_F(SysConfigTest, ReadBoundsSearchTimesAndFallsBackToDefaults) {
    struct Case {
        const char* file;  // nullptr: no file
        int searchTimes, language, autoSearch;
    };
    const std::vector<Case> cases = {
        {nullptr, 3, 0, 0},
        {"[SYSTEM]\r\nSearchTimes=7\r\nLanguage=2\r\nAutoSearchEnable=1\r\n", 3, 2, 1},
        {"[system]\nsearchtimes=0\nLANGUAGE=1\n", 1, 1, 0},
        {"[SYSTEM]\nSearchTimes=-5\n", 1, 0, 0},
        {"[SYSTEM]\nSearchTimes=2\n", 2, 0, 0},
        {"[SYSTEM]\nSearchTimes=two\nLanguage=x\nAutoSearchEnable=\n", 3, 0, 0},
        {"[Pelmora]\nSearchTimes=1\nLanguage=5\n", 3, 0, 0},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(IniPath());
        if (c.file) WriteIni(c.file);
        TSysConfig config;
        config.ShowUnknowDeviceType = true;  // cleared by the read
        EXPECT_TRUE(ReadSysConfig(place_, "", config));
        EXPECT_EQ(config.SearchTimes, c.searchTimes) << (c.file ? c.file : "no file");
        EXPECT_EQ(config.Language, c.language) << (c.file ? c.file : "no file");
        EXPECT_EQ(config.AutoSearchEnable, c.autoSearch) << (c.file ? c.file : "no file");
        EXPECT_FALSE(config.ShowUnknowDeviceType);
    }
}

TEST_F(SysConfigTest, ShowUnknowDeviceTypeComesFromTheUserStore) {
    struct Case {
        const char* value;  // nullptr: absent
        bool expected;
    };
    const std::vector<Case> cases = {
        {nullptr, false}, {"1", true}, {"5", true},    {"0", false},
        {"-1", false},    {"", false}, {"yes", false}, {"1x", false},
    };
    for (const Case& c : cases) {
        user_.values.clear();
        if (c.value) user_.values["ShowUnknowDeviceType"] = c.value;
        TSysConfig config;
        ReadSysConfig(place_, "", config);
        EXPECT_EQ(config.ShowUnknowDeviceType, c.expected) << (c.value ? c.value : "absent");
    }
    EXPECT_EQ(user_.writes, 0);  // never written by the program
}

TEST_F(SysConfigTest, LanguageChangeRewritesOnlyItsTwoKeys) {
    const std::string before =
        "[SYSTEM]\r\n"
        "SearchTimes=7\r\n"
        "Language=0\r\n"
        "AutoSearchEnable=1\r\n"
        "\r\n"
        "; server history\r\n"
        "[Pelmora]\r\n"
        "ManageServerIP=192.168.1.10\r\n"
        "SipServerIP=192.168.1.11\r\n"
        "[PLAYER]\r\n"
        "DefaultInterface=192.168.1.2\r\n";
    WriteIni(before);
    TSysConfig config;
    ASSERT_TRUE(ReadSysConfig(place_, "", config));
    config.Language = 1;
    std::string error;
    ASSERT_TRUE(WriteSysConfig(place_, "", config, &error)) << error;

    std::string expected = before;
    expected.replace(expected.find("SearchTimes=7"), 13, "SearchTimes=3");
    expected.replace(expected.find("Language=0"), 10, "Language=1");
    EXPECT_EQ(IniBytes(), expected);

    config.SearchTimes = 0;  // a record bounded by hand still writes 1..3
    ASSERT_TRUE(WriteSysConfig(place_, "", config, &error));
    EXPECT_NE(IniBytes().find("SearchTimes=1\r\n"), std::string::npos);
}

TEST_F(SysConfigTest, ZeroSearchTimesIsWrittenBackAsOne) {
    WriteIni("[SYSTEM]\nSearchTimes=0\n");
    TSysConfig config;
    ReadSysConfig(place_, "", config);
    ASSERT_TRUE(WriteSysConfig(place_, "", config));
    EXPECT_EQ(IniBytes(), "[SYSTEM]\nSearchTimes=1\nLanguage=0\n");
}

TEST_F(SysConfigTest, MissingFileIsCreatedAndAnExplicitPathIsUsed) {
    TSysConfig config;
    config.Language = 2;
    ASSERT_TRUE(WriteSysConfig(place_, "", config));
    EXPECT_EQ(IniBytes(), "[SYSTEM]\r\nSearchTimes=3\r\nLanguage=2\r\n");

    const std::string other = (dir_ / "other.ini").string();
    config.Language = 4;
    ASSERT_TRUE(WriteSysConfig(place_, other, config));
    TSysConfig back;
    ReadSysConfig(place_, other, back);
    EXPECT_EQ(back.Language, 4);
}

TEST_F(SysConfigTest, UnreadableFileIsNotReplaced) {
    std::filesystem::create_directories(IniPath());  // a folder in the file's place
    TSysConfig config;
    EXPECT_FALSE(ReadSysConfig(place_, "", config));
    EXPECT_EQ(config.SearchTimes, 3);
    std::string error;
    EXPECT_FALSE(WriteSysConfig(place_, "", config, &error));
    EXPECT_FALSE(error.empty());  // the system's own text
    EXPECT_TRUE(std::filesystem::is_directory(IniPath()));
}

TEST_F(SysConfigTest, ProgramPathIsWrittenOnlyWhenMissingOrDifferent) {
    TMemorySettingsStore machine;
    struct Step {
        const char* path;
        int writesAfter;
    };
    const std::vector<Step> steps = {
        {"/opt/pelmora/Pelmora", 1},  // missing: written
        {"/opt/pelmora/Pelmora", 1},  // same: left alone
        {"/opt/Pelmora/Pelmora", 2},  // differs in letter case only: written
        {"/usr/bin/Pelmora", 3},
    };
    for (const Step& s : steps) {
        EXPECT_EQ(SaveProgramPath(machine, s.path), "");
        EXPECT_EQ(machine.writes, s.writesAfter) << s.path;
        EXPECT_EQ(machine.values["Path"], s.path);
    }
    machine.result = {TStoreWrite::Unavailable, {}};
    EXPECT_EQ(SaveProgramPath(machine, "/elsewhere/Pelmora"), "");
    machine.result = {TStoreWrite::Failed, "disk trouble"};
    EXPECT_EQ(SaveProgramPath(machine, "/elsewhere/Pelmora"), "disk trouble");
}

}  // namespace
