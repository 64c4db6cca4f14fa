// List files: the bytes written, the odd lines a reader meets, loading and saving on disk, and
// the row operations.
#include "manager/books/listfile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

TListRow Row(const std::string& number, std::vector<std::string> columns, int image = 0) {
    return {number, image, std::move(columns)};
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

class ListFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        home = fs::temp_directory_path() /
               ("books-listfile-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(home);
        fs::create_directories(home);
    }
    void TearDown() override { fs::remove_all(home); }
    fs::path home;
};

TEST(ListFileFormat, WritesRowsByteForByte) {
    struct Case {
        TListRows rows;
        std::string bytes;
    } cases[] = {
        {{}, ""},
        {{Row("1", {"8001", "Lobby", "Floor1"})}, "1\r\n@0\r\n\t8001\r\n\tLobby\r\n\tFloor1\r\n"},
        // Empty columns are a TAB alone; Chinese texts go out in GBK.
        {{Row("1", {"8001", "", "一楼"}), Row("2", {"8002", "门口", "G"}, 7)},
         "1\r\n@0\r\n\t8001\r\n\t\r\n\t\xD2\xBB\xC2\xA5\r\n"
         "2\r\n@7\r\n\t8002\r\n\t\xC3\xC5\xBF\xDA\r\n\tG\r\n"},
        // A line break inside a text would split the row; it is written as a blank.
        {{Row("1", {"a\r\nb"})}, "1\r\n@0\r\n\ta  b\r\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatListFile(c.rows), c.bytes);
}

// Bytes that do not decode in the code page come back as read while their text is untouched;
// an edited text is written from its new text.
TEST(ListFileFormat, UntouchedTextsKeepTheirBytes) {
    const std::string read = "1\r\n@0\r\n\t8001\r\n\t\xFF\xFE\x80\r\n2\r\n@0\r\n\t8002\r\n\tB\r\n";
    TListRows rows;
    ASSERT_EQ(ParseListFile(read, rows), 2u);
    EXPECT_EQ(FormatListFile(rows), read);
    rows[1].columns[1] = "C";
    AppendListRow(rows, {"8003", "D"});
    EXPECT_EQ(FormatListFile(rows),
              "1\r\n@0\r\n\t8001\r\n\t\xFF\xFE\x80\r\n2\r\n@0\r\n\t8002\r\n\tC\r\n"
              "3\r\n@0\r\n\t8003\r\n\tD\r\n");
    rows[0].columns[1] = "A";
    EXPECT_EQ(FormatListFile(rows).substr(0, 18), "1\r\n@0\r\n\t8001\r\n\tA\r\n");
}

TEST(ListFileFormat, ReadsOddLines) {
    struct Case {
        const char* what;
        std::string bytes;
        TListRows rows;
    } cases[] = {
        {"image index 7", "12\r\n@7\r\n\ta\r\n\tb\r\n\tc\r\n", {Row("12", {"a", "b", "c"}, 7)}},
        {"only one digit is read", "1\r\n@15\r\n", {Row("1", {}, 1)}},
        {"the highest digit", "1\r\n@9\r\n", {Row("1", {}, 9)}},
        {"the lowest digit", "1\r\n@0\r\n", {Row("1", {})}},
        {"a character past the digits gives 0",
         "1\r\n@:\r\n2\r\n@/\r\n",
         {Row("1", {}), Row("2", {})}},
        {"no digit gives 0", "1\r\n@x\r\n2\r\n@\r\n", {Row("1", {}), Row("2", {})}},
        {"empty column and trimmed columns", "1\n@0\n\t\n\t  a b \t\n", {Row("1", {"", "a b"})}},
        {"lone CR and LF and no last line end",
         "1\r@0\n\tx\r\n2\r\tGBK \xD2\xBB",
         {Row("1", {"x"}), Row("2", {"GBK 一"})}},
        {"blank lines and lines before the first row are skipped",
         "\r\n\tstray\r\n@5\r\n\r\n 7 \r\n\r\n\tx\r\n",
         {Row(" 7 ", {"x"})}},
        {"nothing", "", {}},
    };
    for (const Case& c : cases) {
        TListRows rows{Row("old", {"old"})};
        EXPECT_EQ(ParseListFile(c.bytes, rows), c.rows.size()) << c.what;
        EXPECT_EQ(rows, c.rows) << c.what;
    }
}

TEST_F(ListFileTest, SaveAndLoadRoundTripThroughTheDataFolder) {
    const std::string path = ListFilePath(home.string(), kContactsFile);
    EXPECT_EQ(fs::path(path), home / "Data" / "Contacts.dat");
    const TListRows rows{Row("1", {"8001", "大厅", "一楼"}), Row("2", {"8002", "", "x"}, 3)};
    std::string error;
    ASSERT_TRUE(SaveListFile(rows, path, &error)) << error;  // creates Data/
    EXPECT_EQ(ReadAll(path), FormatListFile(rows));

    TListRows loaded{Row("9", {"stale"})};
    EXPECT_EQ(LoadListFile(loaded, path, &error), 2u);
    EXPECT_EQ(loaded, rows);
    EXPECT_TRUE(error.empty());

    // Blanks around column texts are not kept.
    ASSERT_TRUE(SaveListFile({Row("1", {" a ", "b  "})}, path));
    LoadListFile(loaded, path);
    EXPECT_EQ(loaded, (TListRows{Row("1", {"a", "b"})}));

    // An empty list is an empty file.
    ASSERT_TRUE(SaveListFile({}, path));
    EXPECT_EQ(fs::file_size(path), 0u);
}

TEST_F(ListFileTest, MissingOrUnreadableFilesLeaveTheRows) {
    const TListRows before{Row("1", {"8001"})};
    TListRows rows = before;
    std::string error = "old";
    EXPECT_EQ(LoadListFile(rows, (home / "none.dat").string(), &error), 0u);
    EXPECT_EQ(rows, before);
    EXPECT_TRUE(error.empty());

    fs::create_directories(home / "folder.dat");
    EXPECT_EQ(LoadListFile(rows, (home / "folder.dat").string(), &error), 0u);
    EXPECT_EQ(rows, before);
    EXPECT_FALSE(error.empty());
}

TEST_F(ListFileTest, AFailedSaveReportsTheErrorAndKeepsWhatWasThere) {
    // A file that cannot be replaced (a folder of that name); the folder and its content stay.
    // (A data folder that cannot be created is the editors' test.)
    fs::create_directories(home / "list.dat");
    WriteAll(home / "list.dat" / "inside", "kept");
    std::string error;
    EXPECT_FALSE(SaveListFile({Row("1", {"a"})}, (home / "list.dat").string(), &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(ReadAll(home / "list.dat" / "inside"), "kept");
    EXPECT_EQ(std::distance(fs::directory_iterator(home), fs::directory_iterator()), 1);
}

TEST(ListRows, MoveRowsWithAndWithoutTheKeptColumn) {
    const TListRows zones{Row("1", {"Z1", "239.0.0.1", "5001"}),
                          Row("2", {"Z2", "239.0.0.2", "5002"}),
                          Row("3", {"Z3", "239.0.0.3", "5003"})};
    // Zone 1 down and zone 3 up: addresses and ports change places, names and numbers stay;
    // whole rows: only the numbers stay; moves that are no moves change nothing.
    const TListRow z1Down[] = {Row("1", {"Z1", "239.0.0.2", "5002"}),
                               Row("2", {"Z2", "239.0.0.1", "5001"})};
    const TListRow z3Up[] = {Row("2", {"Z2", "239.0.0.3", "5003"}),
                             Row("3", {"Z3", "239.0.0.2", "5002"})};
    const TListRow whole[] = {Row("1", {"Z2", "239.0.0.2", "5002"}),
                              Row("2", {"Z1", "239.0.0.1", "5001"})};
    struct Case {
        int from, to;
        std::optional<std::size_t> keep;
        TListRows expected;
    } cases[] = {
        {0, 1, 0, {z1Down[0], z1Down[1], zones[2]}},
        {2, 1, 0, {zones[0], z3Up[0], z3Up[1]}},
        {0, 1, std::nullopt, {whole[0], whole[1], zones[2]}},
        {1, 1, std::nullopt, zones},
        {0, -1, std::nullopt, zones},
        {0, 3, std::nullopt, zones},
        {5, 0, std::nullopt, zones},
    };
    for (const Case& c : cases) {
        TListRows rows = zones;
        MoveListRow(rows, c.from, c.to, c.keep);
        EXPECT_EQ(rows, c.expected) << c.from << " to " << c.to;
    }
}

TEST(ListRows, DeletingRowTwoOfFourRenumbers) {
    TListRows rows;
    for (const char* account : {"a", "b", "c", "d"})
        AppendListRow(rows, {account});
    DeleteListRow(rows, 1);
    EXPECT_EQ(rows, (TListRows{Row("1", {"a"}), Row("2", {"c"}), Row("3", {"d"})}));
}

}  // namespace
