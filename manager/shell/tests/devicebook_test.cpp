// Device book and device-list files: bytes on disk, what loading gives, and failures.
#include "manager/shell/devicebook.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "common/textcodec.h"
#include "manager/shell/tests/shelltestutil.h"

namespace fs = std::filesystem;

namespace {

class DeviceBookTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("devicebook-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string Path(const std::string& name) const { return (dir / name).string(); }

    static std::string ReadAll(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static void WriteAll(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }

    fs::path dir;
};

// Bytes [offset, offset + width) of a file's contents, as a string.
std::string Field(const std::string& bytes, std::size_t offset, std::size_t width) {
    return bytes.substr(offset, width);
}

std::string Padded(const std::string& text, std::size_t width) {
    return text + std::string(width - text.size(), '\0');
}

TDeviceRow FullRow() {
    TDeviceRow row = MakeRow("0.26.43.60.77.94", "192.168.1.20", "Books", "Online");
    row.columns = {"1001",    "Gate",   "192.168.1.20", "0.26.43.60.77.94",
                   "SIP-520", "V2.6.1", "192.168.1.1",  "Books"};
    row.netInfo = TRowNetInfo{{255, 255, 255, 0}, {192, 168, 1, 1}, {8, 8, 8, 8}, {8, 8, 4, 4}};
    return row;
}

TEST_F(DeviceBookTest, RecordHoldsEveryFieldAtItsOffset) {
    TDeviceList list;
    list.AppendRow(FullRow());
    TDeviceRow bare = FullRow();
    bare.netInfo.reset();
    list.AppendRow(bare);
    ASSERT_TRUE(SaveDeviceFile(Path("devdb.dat"), list).ok);

    const std::string bytes = ReadAll(Path("devdb.dat"));
    ASSERT_EQ(bytes.size(), 2 * 232u);
    const std::string r = bytes.substr(0, 232);
    EXPECT_EQ(Field(r, 0, 16), Padded("1001", 16));
    EXPECT_EQ(Field(r, 16, 32), Padded("Gate", 32));
    EXPECT_EQ(Field(r, 48, 16), Padded("192.168.1.20", 16));
    EXPECT_EQ(Field(r, 64, 32), Padded("0.26.43.60.77.94", 32));
    EXPECT_EQ(Field(r, 96, 32), Padded("SIP-520", 32));
    EXPECT_EQ(Field(r, 128, 32), Padded("V2.6.1", 32));
    EXPECT_EQ(Field(r, 160, 32), Padded("Books", 32));
    EXPECT_EQ(Field(r, 192, 4), std::string("\xFF\xFF\xFF\x00", 4));
    EXPECT_EQ(Field(r, 196, 4), std::string("\xC0\xA8\x01\x01", 4));
    EXPECT_EQ(Field(r, 200, 4), std::string("\x08\x08\x08\x08", 4));
    EXPECT_EQ(Field(r, 204, 12), std::string(12, '\0'));
    EXPECT_EQ(Field(r, 216, 4), std::string("\x08\x08\x04\x04", 4));
    EXPECT_EQ(Field(r, 220, 12), std::string(12, '\0'));
    // Without a network record the four addresses are zero; the interface column is not stored.
    const std::string second = bytes.substr(232);
    EXPECT_EQ(Field(second, 192, 40), std::string(40, '\0'));
    EXPECT_EQ(second.find("192.168.1.1\0", 0, 12), std::string::npos);

    TDeviceList loaded;
    ASSERT_TRUE(LoadDeviceFile(Path("devdb.dat"), false, loaded).ok);
    ASSERT_EQ(loaded.RowCount(), 2u);
    TDeviceRow expected = FullRow();
    expected.columns[kColInterface] = "";
    EXPECT_EQ(loaded.Row(0).columns, expected.columns);
    EXPECT_EQ(loaded.Row(0).state, "Offline");
    EXPECT_EQ(loaded.Row(0).icon, kIconUnreachable);
    EXPECT_EQ(loaded.Row(0).netInfo, FullRow().netInfo);
    EXPECT_EQ(loaded.Row(1).netInfo, TRowNetInfo{});
}

TEST_F(DeviceBookTest, LongAndChineseTextsAreCutToTheirFields) {
    struct Case {
        int column;
        std::string text;
        std::size_t offset, width;
        std::string stored;  // field bytes up to the zero
        std::string loaded;  // the text read back
    };
    const std::string forty(40, 'n');
    const std::string door = "\xE9\x97\xA8\xE5\x8F\xA3\xE6\x9C\xBA";        // 门口机
    const std::string eightHan = door + door + "\xE9\x97\xA8\xE5\x8F\xA3";  // 8 characters
    const std::vector<Case> cases = {
        {kColDisplayName, forty, 16, 32, std::string(31, 'n'), std::string(31, 'n')},
        {kColDisplayName, door, 16, 32, "\xC3\xC5\xBF\xDA\xBB\xFA", door},
        // 16 GBK bytes do not fit in 15: the eighth character goes whole.
        {kColAccount, eightHan, 0, 16, "\xC3\xC5\xBF\xDA\xBB\xFA\xC3\xC5\xBF\xDA\xBB\xFA\xC3\xC5",
         eightHan.substr(0, 21)},
        {kColLocation, "Books and more than thirty-two bytes", 160, 32,
         "Books and more than thirty-two ", "Books and more than thirty-two"},
    };
    for (const Case& c : cases) {
        TDeviceList list;
        TDeviceRow row = FullRow();
        row.columns[static_cast<std::size_t>(c.column)] = c.text;
        list.AppendRow(row);
        ASSERT_TRUE(SaveDeviceFile(Path("long.dat"), list).ok);
        const std::string bytes = ReadAll(Path("long.dat"));
        EXPECT_EQ(Field(bytes, c.offset, c.width), Padded(c.stored, c.width)) << c.text;
        TDeviceList loaded;
        LoadDeviceFile(Path("long.dat"), false, loaded);
        ASSERT_EQ(loaded.RowCount(), 1u);
        EXPECT_EQ(loaded.Row(0).columns[static_cast<std::size_t>(c.column)], c.loaded) << c.text;
    }
}

TEST_F(DeviceBookTest, BooksOnlyLoadingSkipsOtherLocations) {
    TDeviceList list;
    list.AppendRow(MakeRow("1.1.1.1.1.1", "127.0.9.1", "Books", "Online"));
    list.AppendRow(MakeRow("2.2.2.2.2.2", "127.0.9.2", "LocalNetwork", "Online"));
    list.AppendRow(MakeRow("3.3.3.3.3.3", "127.0.9.3", "Books", "Online"));
    ASSERT_TRUE(SaveDeviceFile(Path("devdb.dat"), list).ok);
    // A location that only begins with "Books" is not one.
    std::string bytes = ReadAll(Path("devdb.dat"));
    bytes.replace(2 * 232 + 160 + 5, 1, "x");
    WriteAll(Path("devdb.dat"), bytes);

    TDeviceList books;
    ASSERT_TRUE(LoadDeviceFile(Path("devdb.dat"), true, books).ok);
    ASSERT_EQ(books.RowCount(), 1u);
    EXPECT_EQ(books.Row(0).columns[kColMac], "1.1.1.1.1.1");
    EXPECT_EQ(books.Row(0).state, "Offline");
    EXPECT_EQ(books.Row(0).icon, kIconUnreachable);

    TDeviceList all;
    ASSERT_TRUE(LoadDeviceFile(Path("devdb.dat"), false, all).ok);
    ASSERT_TRUE(LoadDeviceFile(Path("devdb.dat"), false, all).ok);  // appended twice
    EXPECT_EQ(all.RowCount(), 6u);
    EXPECT_EQ(all.Row(1).columns[kColLocation], "LocalNetwork");
    EXPECT_EQ(all.Row(2).columns[kColLocation], "Booksx");
}

TEST_F(DeviceBookTest, TruncatedTailAndGarbageBytes) {
    TDeviceList list;
    list.AppendRow(FullRow());
    list.AppendRow(FullRow());
    ASSERT_TRUE(SaveDeviceFile(Path("cut.dat"), list).ok);
    WriteAll(Path("cut.dat"), ReadAll(Path("cut.dat")) + std::string(231, 'B'));
    TDeviceList cut;
    ASSERT_TRUE(LoadDeviceFile(Path("cut.dat"), false, cut).ok);
    EXPECT_EQ(cut.RowCount(), 2u);

    // Bytes that are not GBK, and fields without any zero byte.
    std::string garbage;
    for (int i = 0; i < 3 * 232; ++i)
        garbage += static_cast<char>(i % 2 ? 0xFF : 0x80 + i % 64);
    WriteAll(Path("garbage.dat"), garbage);
    TDeviceList junk;
    ASSERT_TRUE(LoadDeviceFile(Path("garbage.dat"), false, junk).ok);
    ASSERT_EQ(junk.RowCount(), 3u);
    for (const auto& row : junk.Rows()) {
        for (const auto& text : row.columns)
            EXPECT_EQ(text, SanitizeUtf8(text));  // valid UTF-8
        EXPECT_NE(row.columns[kColAccount].find("\xEF\xBF\xBD"), std::string::npos);
    }
}

TEST_F(DeviceBookTest, UndecodableTextsGoBackByteForByteUntilEdited) {
    // A name ending in half a GBK character, an account that is no GBK at all, and a location
    // without a zero byte; the IP text decodes and is rewritten from the list as usual.
    TDevBookRecord record;
    auto put = [&record](std::size_t offset, const std::string& bytes) {
        std::memcpy(record.bytes.data() + offset, bytes.data(), bytes.size());
    };
    const std::string name = "\xC3\xC5\xC3",
                      account =
                          "\xFF\x80"
                          "1",
                      location(32, '\xFF');
    put(devbook::kDisplayName, name);
    put(devbook::kAccount, account);
    put(devbook::kIp, " 127.0.0.1");
    put(devbook::kLocation, location);
    WriteAll(Path("odd.dat"),
             std::string(reinterpret_cast<const char*>(record.bytes.data()), record.bytes.size()));
    TDeviceList list;
    ASSERT_TRUE(LoadDeviceFile(Path("odd.dat"), false, list).ok);
    ASSERT_TRUE(SaveDeviceFile(Path("again.dat"), list).ok);
    const std::string again = ReadAll(Path("again.dat"));
    EXPECT_EQ(Field(again, devbook::kDisplayName, 32), Padded(name, 32));
    EXPECT_EQ(Field(again, devbook::kAccount, 16), Padded(account, 16));
    EXPECT_EQ(Field(again, devbook::kLocation, 32), location);
    EXPECT_EQ(Field(again, devbook::kIp, 16), Padded("127.0.0.1", 16));

    // An edited text is written from the list.
    list.EditRow(0, [](TDeviceRow& row) { row.columns[kColDisplayName] = "Gate"; });
    ASSERT_TRUE(SaveDeviceFile(Path("edited.dat"), list).ok);
    const std::string edited = ReadAll(Path("edited.dat"));
    EXPECT_EQ(Field(edited, devbook::kDisplayName, 32), Padded("Gate", 32));
    EXPECT_EQ(Field(edited, devbook::kAccount, 16), Padded(account, 16));
}

TEST_F(DeviceBookTest, MissingFilesAndEmptyLists) {
    TDeviceList list;
    EXPECT_TRUE(LoadDeviceFile(Path("a.dat"), true, list, TMissingFile::kNoRows).ok);
    EXPECT_FALSE(fs::exists(Path("a.dat")));
    const TFileResult missing = LoadDeviceFile(Path("a.dat"), true, list, TMissingFile::kError);
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.error, std::strerror(ENOENT));
    EXPECT_TRUE(LoadDeviceFile(Path("a.dat"), true, list).ok);
    EXPECT_TRUE(fs::exists(Path("a.dat")));
    EXPECT_EQ(fs::file_size(Path("a.dat")), 0u);
    EXPECT_EQ(list.RowCount(), 0u);

    // Creating it in a folder that does not exist is an error for the message box.
    const TFileResult noFolder = LoadDeviceFile(Path("none/devdb.dat"), true, list);
    EXPECT_FALSE(noFolder.ok);
    EXPECT_EQ(noFolder.error, std::strerror(ENOENT));

    WriteAll(Path("b.dat"), "old contents");
    ASSERT_TRUE(SaveDeviceFile(Path("b.dat"), list).ok);
    EXPECT_EQ(fs::file_size(Path("b.dat")), 0u);
    EXPECT_TRUE(LoadDeviceFile(Path("b.dat"), false, list).ok);
    EXPECT_EQ(list.RowCount(), 0u);
}

TEST_F(DeviceBookTest, ReadErrorReturnsTheSystemText) {
    fs::create_directories(Path("folder.dat"));
    TDeviceList list;
    list.AppendRow(FullRow());
    const TFileResult result = LoadDeviceFile(Path("folder.dat"), false, list);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, std::strerror(EISDIR));
    EXPECT_EQ(list.RowCount(), 1u);
}

TEST_F(DeviceBookTest, FailedWriteKeepsTheOldFile) {
    TDeviceList list;
    list.AppendRow(FullRow());
    ASSERT_TRUE(SaveDeviceFile(Path("devdb.dat"), list).ok);
    const std::string old = ReadAll(Path("devdb.dat"));
    for (int i = 0; i < 20; ++i)
        list.AppendRow(FullRow());

    // A file size limit below the new file's size makes the write itself fail.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const TFileResult result = SaveDeviceFile(Path("devdb.dat"), list);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, std::strerror(EFBIG));
    EXPECT_EQ(ReadAll(Path("devdb.dat")), old);
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);

    // A target that cannot be replaced: a folder of that name.
    fs::create_directories(Path("taken.dat"));
    const TFileResult blocked = SaveDeviceFile(Path("taken.dat"), list);
    EXPECT_FALSE(blocked.ok);
    EXPECT_EQ(blocked.error, std::strerror(EISDIR));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
}

}  // namespace
