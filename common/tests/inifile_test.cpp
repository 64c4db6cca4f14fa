#include "common/inifile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "common/atomicfile.h"

namespace {

// A file shared with other programs: comments, foreign sections, odd lines, mixed spacing,
// a GBK value, CRLF endings and no line ending at the very end.
const std::string kForeign =
    "; written by hand\r\n"
    "[SYSTEM]\r\n"
    "SearchTimes = 7\r\n"
    "# a comment = not a key\r\n"
    "AutoSearchEnable=1\r\n"
    "odd line without equals\r\n"
    "\r\n"
    "[Pelmora]\r\n"
    "ManageServerIP=192.168.1.10\r\n"
    "Name=\xD6\xD0\xCE\xC4\r\n"  // 中文 in GBK
    "\r\n"
    "[PLAYER]\r\n"
    "DefaultInterface=10.0.0.2";

std::string Reloaded(const TIniFile& ini) {
    TIniFile copy;
    copy.Parse(ini.Bytes());
    return copy.Bytes();
}

TEST(IniFile, UntouchedContentRoundTripsByteForByte) {
    TIniFile ini;
    ini.Parse(kForeign);
    EXPECT_EQ(ini.Bytes(), kForeign);
    EXPECT_EQ(Reloaded(ini), kForeign);
}

TEST(IniFile, ReadsIgnoreLetterCaseAndDecodeTheDeviceCodePage) {
    TIniFile ini;
    ini.Parse(kForeign);
    struct Case {
        const char* section;
        const char* key;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"SYSTEM", "SearchTimes", "7"},  {"system", "SEARCHTIMES", "7"},
        {"Pelmora", "Name", "中文"},     {"PLAYER", "defaultinterface", "10.0.0.2"},
        {"SYSTEM", "# a comment", "-"},  {"SYSTEM", "odd line without equals", "-"},
        {"Nowhere", "SearchTimes", "-"}, {"Pelmora", "SearchTimes", "-"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ini.ReadString(c.section, c.key, "-"), c.expected) << c.section << "/" << c.key;
    }
}

TEST(IniFile, IntegersThatAreNotNumbersReadAsTheDefault) {
    struct Case {
        const char* value;
        int expected;
    };
    const std::vector<Case> cases = {
        {"3", 3},      {" 12 ", 12}, {"-4", -4},
        {"+5", 5},     {"", 99},     {"abc", 99},
        {"12abc", 99}, {"1.5", 99},  {"99999999999", 99},
        {"0x10", 99},  {"- 1", 99},  {"2147483647", 2147483647},
    };
    for (const Case& c : cases) {
        TIniFile ini;
        ini.Parse(std::string("[S]\nK=") + c.value + "\n");
        EXPECT_EQ(ini.ReadInteger("s", "k", 99), c.expected) << "value: " << c.value;
    }
    TIniFile empty;
    EXPECT_EQ(empty.ReadInteger("S", "K", 7), 7);
}

TEST(IniFile, WritesChangeOnlyTheirOwnLines) {
    struct Case {
        const char* name;
        std::string before;
        const char* section;
        const char* key;
        const char* value;
        std::string after;
    };
    const std::vector<Case> cases = {
        {"replace keeps spacing and case", "[System]\r\nsearchtimes = 7\r\nX=1\r\n", "SYSTEM",
         "SearchTimes", "3", "[System]\r\nsearchtimes =3\r\nX=1\r\n"},
        {"new key after last key, before blank", "[SYSTEM]\nA=1\n\n[Other]\nB=2\n", "SYSTEM",
         "Language", "2", "[SYSTEM]\nA=1\nLanguage=2\n\n[Other]\nB=2\n"},
        {"new section at the end", "[Other]\nB=2", "SYSTEM", "Language", "0",
         "[Other]\nB=2\n[SYSTEM]\nLanguage=0\n"},
        {"empty file uses CRLF", "", "SYSTEM", "Language", "1", "[SYSTEM]\r\nLanguage=1\r\n"},
        {"header without line ending", "[SYSTEM]", "SYSTEM", "Language", "1",
         "[SYSTEM]\r\nLanguage=1\r\n"},
        {"first duplicate wins", "[S]\nK=1\n[S]\nK=2\n", "s", "k", "9", "[S]\nK=9\n[S]\nK=2\n"},
        {"value without line ending", "[S]\nK=1", "S", "K", "22", "[S]\nK=22"},
        {"line breaks in a value", "[S]\n", "S", "K", "a\r\nb", "[S]\nK=a  b\n"},
    };
    for (const Case& c : cases) {
        TIniFile ini;
        ini.Parse(c.before);
        ini.WriteRaw(c.section, c.key, c.value);
        EXPECT_EQ(ini.Bytes(), c.after) << c.name;
    }
}

// CR LF, LF and a lone CR end lines alike; a written key is found again and the file keeps its
// size over repeated writes.
TEST(IniFile, EveryLineEndingStyleKeepsWrittenKeys) {
    struct Case {
        const char* name;
        std::string before;
        std::string after;  // after writing [SYSTEM] Language=2
    };
    const std::vector<Case> cases = {
        {"CR only, key present", "[SYSTEM]\rSearchTimes=3\rLanguage=1\r",
         "[SYSTEM]\rSearchTimes=3\rLanguage=2\r"},
        {"CR only, key new", "[SYSTEM]\rSearchTimes=3\r", "[SYSTEM]\rSearchTimes=3\rLanguage=2\r"},
        {"CR only, section new", "[Other]\rB=2", "[Other]\rB=2\r[SYSTEM]\rLanguage=2\r"},
        {"CR LF with a lone CR at the end", "[SYSTEM]\r\nSearchTimes=3\r\nAutoSearchEnable=1\r",
         "[SYSTEM]\r\nSearchTimes=3\r\nAutoSearchEnable=1\rLanguage=2\r\n"},
        {"LF with a lone CR inside", "[SYSTEM]\nA=1\rLanguage=1\n", "[SYSTEM]\nA=1\rLanguage=2\n"},
        {"CR CR LF is a CR line and an empty CR LF line", "[SYSTEM]\r\r\nLanguage=1\r\r\n",
         "[SYSTEM]\r\r\nLanguage=2\r\r\n"},
    };
    for (const Case& c : cases) {
        TIniFile ini;
        ini.Parse(c.before);
        ini.WriteInteger("SYSTEM", "Language", 2);
        EXPECT_EQ(ini.Bytes(), c.after) << c.name;
        TIniFile again;
        again.Parse(ini.Bytes());
        EXPECT_EQ(again.ReadInteger("SYSTEM", "Language", 0), 2) << c.name;
        again.WriteInteger("SYSTEM", "Language", 2);
        EXPECT_EQ(again.Bytes(), c.after) << c.name << ": the file grew";
    }
}

TEST(IniFile, WriteStringEncodesToTheDeviceCodePage) {
    TIniFile ini;
    ini.Parse(kForeign);
    ini.WriteString("Pelmora", "Name", "汉字");
    ini.WriteInteger("system", "Language", -2);
    EXPECT_EQ(*ini.ReadRaw("Pelmora", "Name"), "\xBA\xBA\xD7\xD6");
    EXPECT_EQ(ini.ReadInteger("SYSTEM", "Language", 0), -2);
    std::string expected = kForeign;
    expected.replace(expected.find("\xD6\xD0\xCE\xC4"), 4, "\xBA\xBA\xD7\xD6");
    const std::string odd = "odd line without equals\r\n";
    expected.insert(expected.find(odd) + odd.size(), "Language=-2\r\n");
    EXPECT_EQ(ini.Bytes(), expected);
}

class IniFileOnDisk : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("inifile_test_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir_);
        path_ = (dir_ / "SysConfig.ini").string();
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string FileBytes() const {
        std::ifstream in(path_, std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }
    std::filesystem::path dir_;
    std::string path_;
};

TEST_F(IniFileOnDisk, MissingFileIsEmptyAndIsCreatedOnSave) {
    TIniFile ini;
    std::string error;
    ASSERT_TRUE(ini.Load(path_, &error));
    EXPECT_EQ(ini.Bytes(), "");
    ini.WriteInteger("SYSTEM", "Language", 1);
    ASSERT_TRUE(ini.Save(path_, &error)) << error;
    EXPECT_EQ(FileBytes(), "[SYSTEM]\r\nLanguage=1\r\n");
    // Only the file itself is left behind, no temporary file.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 1);
}

TEST_F(IniFileOnDisk, FailedSaveReportsTheSystemErrorAndLeavesNoTemporaryFile) {
    // The final rename fails (a folder stands where the file should go), after the temporary
    // file was written: the folder and its content survive, the temporary file is gone.
    std::filesystem::create_directories(path_);
    ASSERT_TRUE(WriteFileAtomically(path_ + "/keep.txt", kForeign));
    TIniFile ini;
    ini.Parse(kForeign);
    ini.WriteInteger("SYSTEM", "Language", 3);
    std::string error;
    EXPECT_FALSE(ini.Save(path_, &error));
    EXPECT_NE(error, "");  // the system's own text: "Is a directory", "Access denied."
    std::string kept;
    ASSERT_TRUE(ReadWholeFile(path_ + "/keep.txt", kept));
    EXPECT_EQ(kept, kForeign);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 1);
}

TEST_F(IniFileOnDisk, UnreadableFileIsReportedAndMissingFolderFailsToSave) {
    std::filesystem::create_directories(path_);  // a folder where the file should be
    TIniFile ini;
    std::string error;
    EXPECT_FALSE(ini.Load(path_, &error));
    EXPECT_NE(error, "");
    EXPECT_EQ(ini.Bytes(), "");

    std::string saveError;
    EXPECT_FALSE(ini.Save((dir_ / "no" / "such" / "x.ini").string(), &saveError));
    EXPECT_NE(saveError, "");  // "No such file or directory", "Path not found."
}

}  // namespace
