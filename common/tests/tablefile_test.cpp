// Tables as spreadsheet programs save them, and as we write them for those programs.
#include "common/tablefile.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "common/atomicfile.h"
#include "common/workbook.h"

namespace {

const std::string kFixtures = std::string(PELMORA_SOURCE_DIR) + "/tests/data/spreadsheets/";
// What a build without workbooks (the Windows cross build) says to every workbook.
const std::string kNoWorkbooks = "this build cannot read or write .xlsx workbooks; use CSV";

// A table as "line: cell|cell|..." texts, header first.
std::vector<std::string> Lines(const TTable& table) {
    std::vector<std::string> lines;
    auto add = [&lines](const TCsvRecord& record) {
        std::string text = std::to_string(record.line) + ":";
        for (std::size_t i = 0; i < record.fields.size(); ++i)
            text += (i ? "|" : "") + record.fields[i];
        lines.push_back(text);
    };
    add(table.header);
    for (const TCsvRecord& row : table.rows)
        add(row);
    return lines;
}

// What every fixture holds.
const std::vector<std::string> kContactList{
    "1:SipAccount|DisplayName|GroupName", "2:8001|大厅|一楼", "3:8002|东门, 入口|一楼",
    "4:8003|会议室 \"A\"|二楼", "5:80041|Gate West|Outdoor"};

TEST(TableFile, EveryFixtureReadsAsTheSameContactList) {
    for (const char* name :
         {"contacts-utf8.csv", "contacts-utf8-bom.csv", "contacts-semicolon.csv",
          "contacts-utf16.txt", "contacts-openpyxl.xlsx", "contacts-libreoffice.xlsx"}) {
        TTable table;
        TTableError error;
        const bool read = ReadTableFile(kFixtures + name, table, &error);
        if (IsWorkbookName(name) && !WorkbooksBuilt()) {
            EXPECT_FALSE(read) << name;
            EXPECT_EQ(TableErrorText(error), kNoWorkbooks) << name;
            continue;
        }
        ASSERT_TRUE(read) << name << ": " << TableErrorText(error);
        EXPECT_EQ(Lines(table), kContactList) << name;
    }
}

// Files in the device code page are read in its superset, GB18030 (code page 54936 on Windows).
TEST(TableFile, GbkFilesAreReadInGb18030) {
    TTable table;
    TTableError error;
    ASSERT_TRUE(ReadTableFile(kFixtures + "contacts-gbk.csv", table, &error))
        << TableErrorText(error);
    EXPECT_EQ(Lines(table), kContactList);
    // A lead byte without its second byte.
    EXPECT_FALSE(ParseTable("a,b\n\xB4\xF3\xCC\xFC,x\xFF\n", table, &error));
    EXPECT_EQ(TableErrorText(error), "line 2, column 5: the text is neither UTF-8 nor GB18030");
}

TEST(TableFile, TextsAndSeparators) {
    struct Case {
        std::string bytes;
        std::vector<std::string> lines;
    } cases[] = {
        // The separator the header uses most; one inside quotes does not count.
        {"\"a;b\",c,d\r\n1;2,3,4\r\n", {"1:a;b|c|d", "2:1;2|3|4"}},
        {"a;\"b,c,d\"\r\n1;2\r\n", {"1:a|b,c,d", "2:1|2"}},
        {"a\tb\n\"x\ty\"\t\"two\nlines\"\n", {"1:a|b", "2:x\ty|two\nlines"}},
        // Excel's first line naming the separator.
        {"sep=;\r\na;b\r\n1,5;2\r\n", {"2:a|b", "3:1,5|2"}},
        // Our formula guard comes off; a plain apostrophe stays.
        {"a,b\n'=1+2,'-x\n'x,'@\n", {"1:a|b", "2:=1+2|-x", "3:'x|@"}},
        // UTF-16 big-endian with a character outside the basic plane.
        {std::string("\xFE\xFF\0a\0,\xD8\x3D\xDE\x00\0\n", 12), {"1:a|\xF0\x9F\x98\x80"}},
        {"", {"0:"}},
    };
    for (const Case& c : cases) {
        TTable table;
        TTableError error;
        ASSERT_TRUE(ParseTable(c.bytes, table, &error)) << c.bytes << TableErrorText(error);
        EXPECT_EQ(Lines(table), c.lines) << c.bytes;
    }
}

TEST(TableFile, WhatDoesNotDecodeIsRefusedWithItsPlace) {
    struct Case {
        std::string bytes;
        std::string error;
    } cases[] = {
        {"\xEF\xBB\xBF"
         "a,b\n1,\xE5\xA4\n",
         "line 2, column 3: the text is not UTF-8"},
        {std::string("\xFF\xFE"
                     "a\0\n\0b\0\0\xDC,\0",
                     12),
         "line 2, column 2: the UTF-16 text holds half of a character"},
        {std::string("\xFF\xFE"
                     "a\0b",
                     5),
         "line 1, column 2: the UTF-16 text ends in the middle of a character"},
        {"a,\"b\n1,2\n", "line 1: a quoted cell is not closed, or text follows its closing quote"},
        {"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1",
         "an Excel 97-2003 workbook (.xls) cannot be read; save it as .xlsx or CSV"},
        {"PK\x03\x04 not really a zip",
         WorkbooksBuilt() ? "the file is not a workbook: its zip container is damaged"
                          : kNoWorkbooks},
    };
    for (const Case& c : cases) {
        TTable table;
        TTableError error;
        EXPECT_FALSE(ParseTable(c.bytes, table, &error)) << c.bytes;
        EXPECT_EQ(TableErrorText(error), c.error) << c.bytes;
    }
}

TEST(TableFile, WrittenFilesAreWhatSpreadsheetsExpectAndReadBackUnchanged) {
    const std::vector<std::string> header{"Name", "Account"};
    const std::vector<std::vector<std::string>> rows{{"=HYPERLINK(\"http://x\")", "8001"},
                                                     {"-5", "007"},
                                                     {"+86 10 1234", "-"},
                                                     {"@SUM(A1)", "'=quoted"},
                                                     {"大厅, 东", "\tx"},
                                                     {"two\nlines", ""}};
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("tablefile-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    for (const char* name : {"list.csv", "list.XLSX"}) {
        const std::string path = (folder / name).string();
        std::string error;
        const bool written = WriteTableFile(path, header, rows, &error);
        if (IsWorkbookName(path) && !WorkbooksBuilt()) {
            EXPECT_FALSE(written);
            EXPECT_EQ(error, kNoWorkbooks);
            EXPECT_FALSE(std::filesystem::exists(path));
            continue;
        }
        ASSERT_TRUE(written) << error;
        std::string bytes;
        ASSERT_TRUE(ReadWholeFile(path, bytes));
        if (IsWorkbookName(path)) {
            EXPECT_TRUE(bytes.starts_with("PK\x03\x04"));
        } else {
            EXPECT_EQ(bytes,
                      "\xEF\xBB\xBFName,Account\r\n"
                      "\"'=HYPERLINK(\"\"http://x\"\")\",8001\r\n"
                      "-5,007\r\n"
                      "'+86 10 1234,'-\r\n"
                      "'@SUM(A1),''=quoted\r\n"
                      "\"大厅, 东\",\"'\tx\"\r\n"
                      "\"two\nlines\",\r\n");
        }
        TTable table;
        TTableError tableError;
        ASSERT_TRUE(ReadTableFile(path, table, &tableError)) << TableErrorText(tableError);
        EXPECT_EQ(table.header.fields, header) << name;
        ASSERT_EQ(table.rows.size(), rows.size()) << name;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            std::vector<std::string> expected = rows[i];
            // A workbook keeps no empty cell at the end of a row.
            if (IsWorkbookName(path) && expected.back().empty()) expected.pop_back();
            EXPECT_EQ(table.rows[i].fields, expected) << name;
        }
    }
    std::filesystem::remove_all(folder);
}

}  // namespace
