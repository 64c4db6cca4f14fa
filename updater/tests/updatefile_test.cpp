// Update files, pak files, the recall file and the hand-off file as Vellup reads them.
#include <gtest/gtest.h>

#include "common/devlistfile.h"
#include "testsupport.h"
#include "updater/handoff.h"
#include "updater/updatefile.h"

namespace {

using testsupport::MakeHeader;
using testsupport::MakeImage;
using testsupport::ReadBytes;
using testsupport::TempDir;
using testsupport::WriteBytes;
using testsupport::WriteUpdateFile;

struct Built {
    std::optional<TUpdateJob> job;
    TJobMessage message{TJobMessage::Kind::Error, ""};
    std::vector<std::string> log;
};

Built Build(const TempDir& dir, const std::string& file, bool pakChecked = false,
            const std::string& pakName = "") {
    Built out;
    TJobRequest request{file, pakChecked, pakName, dir.Path()};
    out.job = BuildUpdateJob(
        request, [&](const std::string& line) { out.log.push_back(line); }, &out.message);
    return out;
}

TEST(UpdateFile, StartChecksAndTheirMessages) {
    using Kind = TJobMessage::Kind;
    struct Case {
        const char* name;
        std::string bytes;  // empty name below: the file is not written
        bool write;
        std::optional<Kind> kind;  // nullopt: accepted
        std::string text;
        std::size_t imageSize;
    };
    auto file = [](const std::string& mark, std::size_t size) {
        std::string bytes(size, '\x11');
        if (size >= 3) bytes.replace(0, 3, mark);
        return bytes;
    };
    const Case cases[] = {
        {"missing", "", false, Kind::Error, "update file is not exist.", 0},
        {"shorter than the header", file("B32", 1000), true, Kind::Error, "Cannot read", 0},
        {"BIN mark", file("BIN", 5000), true, Kind::Error,
         "Source file format is error,input bin file only.", 0},
        {"other mark", file("B33", 5000), true, Kind::Error,
         "Source file format is error,update is interrupted", 0},
        {"header only, below 4096", file("B32", 4095), true, Kind::Information,
         "File is too long,update is interrupted.", 0},
        {"exactly 4096: empty image", file("B32", 4096), true, std::nullopt, "", 0},
        {"largest image", file("B32", 4096 + 1048576), true, std::nullopt, "", 1048576},
        {"one byte too many", file("B32", 4096 + 1048577), true, Kind::Information,
         "File is too long,update is interrupted.", 0},
    };
    for (const Case& c : cases) {
        TempDir dir;
        std::string path = (dir / "update.bin").string();
        if (c.write) WriteBytes(path, c.bytes);
        Built built = Build(dir, path);
        if (!c.kind) {
            ASSERT_TRUE(built.job) << c.name << ": " << built.message.text;
            EXPECT_EQ(built.job->image.size(), c.imageSize) << c.name;
            EXPECT_TRUE(
                std::equal(built.job->header.begin(), built.job->header.end(), c.bytes.begin()))
                << c.name;
            EXPECT_EQ(ReadBytes(dir / "updatefile.txt"), path + "\r\n") << c.name;
            continue;
        }
        EXPECT_FALSE(built.job) << c.name;
        EXPECT_EQ(built.message.kind, *c.kind) << c.name;
        EXPECT_EQ(built.message.text.substr(0, c.text.size()), c.text) << c.name;
        EXPECT_FALSE(std::filesystem::exists(dir / "updatefile.txt"))
            << c.name << ": a stopped Start does not remember the file";
    }
}

TEST(UpdateFile, ImageComesFromOffset4096) {
    TempDir dir;
    auto header = MakeHeader("V3.0.1", "SIP520");
    auto image = MakeImage(5000, header);
    WriteUpdateFile(dir / "fw.bin", header, image);
    Built built = Build(dir, (dir / "fw.bin").string());
    ASSERT_TRUE(built.job);
    EXPECT_EQ(built.job->image, image);
    EXPECT_TRUE(built.job->pak.empty());
    EXPECT_EQ(built.job->agentPort, 65276);
    THeaderInfo info = HeaderInfoOf(built.job->header);
    EXPECT_EQ(info.version, "V3.0.1");
    EXPECT_EQ(info.deviceType, "SIP520");
    EXPECT_EQ(info.dateTime, "2026-03-01 12:00");
    EXPECT_EQ(info.description, "First line\r\nSecond line");
}

TEST(UpdateFile, PakData) {
    struct Case {
        const char* name;
        std::size_t pakSize;  // SIZE_MAX: the named file is gone
        bool checked;
        std::size_t sent;
        std::vector<std::string> log;  // with PAK for the pak path
    } cases[] = {
        {"small pak", 3000, true, 3000, {"load PAK"}},
        {"largest pak", 1048575, true, 1048575, {"load PAK"}},
        {"1 MiB pak", 1048576, true, 0, {"load PAK", "PAK large then 1Mbytes, can not loaddown."}},
        {"option unchecked", 3000, false, 0, {}},
        {"named file gone", SIZE_MAX, true, 0, {}},
    };
    for (const Case& c : cases) {
        TempDir dir;
        WriteUpdateFile(dir / "fw.bin", MakeHeader("V1", "T"), std::vector<std::uint8_t>(10));
        if (c.pakSize != SIZE_MAX) WriteBytes(dir / "extra.pak", std::string(c.pakSize, 'p'));
        Built built = Build(dir, (dir / "fw.bin").string(), c.checked, "extra.pak");
        ASSERT_TRUE(built.job) << c.name;
        EXPECT_EQ(built.job->pak.size(), c.sent) << c.name;
        std::vector<std::string> expected;
        for (std::string line : c.log)
            expected.push_back(line.replace(line.find("PAK"), 3, (dir / "extra.pak").string()));
        EXPECT_EQ(built.log, expected) << c.name;
    }
}

TEST(UpdateFile, HeaderInfoForDisplay) {
    TempDir dir;
    WriteBytes(dir / "short.bin", std::string(1132, 'B'));
    EXPECT_FALSE(ReadHeaderInfo(dir / "short.bin")) << "1132 bytes or shorter is an error";
    EXPECT_FALSE(ReadHeaderInfo(dir / "missing.bin"));
    auto header = MakeHeader("V9", "SIP310");
    std::string bytes(reinterpret_cast<const char*>(header.data()), header.size());
    WriteBytes(dir / "header.bin", bytes + "x");  // 1133 bytes: shown, refused at Start
    std::optional<THeaderInfo> info = ReadHeaderInfo(dir / "header.bin");
    ASSERT_TRUE(info);
    EXPECT_EQ(info->version, "V9");
    EXPECT_EQ(info->deviceType, "SIP310");
    EXPECT_EQ(Build(dir, (dir / "header.bin").string()).message.text,
              "File is too long,update is interrupted.");
    // Fields are decoded from the device code page; a field without a zero ends at its width.
    header.fill(0);
    std::string gbk = "\xC9\xFD\xBC\xB6";  // "升级" in GBK
    std::copy(gbk.begin(), gbk.end(), header.begin() + 88);
    std::fill(header.begin() + 8, header.begin() + 40, 'v');
    EXPECT_EQ(HeaderInfoOf(header).description, "升级");
    EXPECT_EQ(HeaderInfoOf(header).version, std::string(32, 'v'));
}

TEST(UpdateFile, PakFilesAndRecallFile) {
    TempDir dir;
    EXPECT_EQ(FindPakFile(dir.Path()), "");
    WriteBytes(dir / "b.pak", "1");
    WriteBytes(dir / "a.pak", "2");
    WriteBytes(dir / "c.bin", "3");
    std::filesystem::create_directory(dir / "0.pak");  // a folder is no pak file
    EXPECT_EQ(FindPakFile(dir.Path()), "a.pak");

    EXPECT_FALSE(ReadRecallFile(dir.Path()));
    WriteBytes(dir / "updatefile.txt", "");
    EXPECT_FALSE(ReadRecallFile(dir.Path())) << "no line";
    ASSERT_TRUE(WriteRecallFile(dir.Path(), "/firmware/升级.bin"));
    EXPECT_EQ(ReadRecallFile(dir.Path()), "/firmware/升级.bin");
    WriteBytes(dir / "updatefile.txt", "/a/b.bin\r\nsecond line\r\n");
    EXPECT_EQ(ReadRecallFile(dir.Path()), "/a/b.bin");
    WriteBytes(dir / "updatefile.txt", "/a/c.bin\rsecond line\r");
    EXPECT_EQ(ReadRecallFile(dir.Path()), "/a/c.bin") << "a lone CR ends the line";
}

TEST(Handoff, LinesBecomeRows) {
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<TDevListRow> rows;
    } cases[] = {
        {"empty file", "", {}},
        {"two lines",
         "1.2.3.4.5.6;192.168.1.20;Gate;V2.6.0;192.168.1.2;SIP520\r\n"
         "1.2.3.4.5.7;192.168.1.21;Hall;V2.5.1;192.168.1.2;SIP310\r\n",
         {{"1.2.3.4.5.6", "192.168.1.20", "Gate", "V2.6.0", "192.168.1.2", "SIP520"},
          {"1.2.3.4.5.7", "192.168.1.21", "Hall", "V2.5.1", "192.168.1.2", "SIP310"}}},
        {"fewer fields, no line end", "m;10.0.0.1;n", {{"m", "10.0.0.1", "n", "", "", ""}}},
        {"no separator", "lonely\r\n", {{"lonely", "", "", "", "", ""}}},
        {"LF only", "a;1.1.1.1;b;c;d;e\n", {{"a", "1.1.1.1", "b", "c", "d", "e"}}},
        {"lone CRs",
         "a;1.1.1.1;b;c;d;e\rm;2.2.2.2\r",
         {{"a", "1.1.1.1", "b", "c", "d", "e"}, {"m", "2.2.2.2", "", "", "", ""}}},
        {"';' in the display name stays in the name",
         "m;10.0.0.1;Gate;East;V2;if;SIP520\r\n",
         {{"m", "10.0.0.1", "Gate;East", "V2", "if", "SIP520"}}},
        {"GBK display name",
         "m;10.0.0.1;\xC9\xFD\xBC\xB6;V;i;T\r\n",
         {{"m", "10.0.0.1", "升级", "V", "i", "T"}}},
        {"bytes that do not decode",
         "m;10.0.0.1;\xFF;V;i;T\r\n",
         {{"m", "10.0.0.1", "\xEF\xBF\xBD", "V", "i", "T"}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseDevList(c.bytes), c.rows) << c.name;

    TempDir dir;
    std::vector<TDevListRow> rows;
    std::string error;
    EXPECT_FALSE(LoadHandoff(dir / "~devlist.lst", &rows, &error));
    EXPECT_NE(error.find("~devlist.lst"), std::string::npos) << error;
    WriteBytes(dir / "~devlist.lst", cases[1].bytes);
    ASSERT_TRUE(LoadHandoff(dir / "~devlist.lst", &rows, &error));
    EXPECT_EQ(rows, cases[1].rows);
}

}  // namespace
