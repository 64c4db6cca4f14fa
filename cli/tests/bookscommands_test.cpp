// pelmora-cli books: import, list and export on the lists of a program folder, in-process.
#include "cli/bookscommands.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "cli/clicommands.h"
#include "manager/books/listfile.h"

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class BooksCliTest : public ::testing::Test {
  protected:
    void SetUp() override {
        home = fs::temp_directory_path() /
               ("pelmora-books-cli-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(home);
        fs::create_directories(home);
    }
    void TearDown() override { fs::remove_all(home); }

    int Run(std::vector<std::string> args) {
        out.str("");
        err.str("");
        args.insert(args.begin(), {"--home", home.string()});
        return RunCli(args, "/nonexistent", out, err);
    }
    fs::path Csv(const std::string& name, const std::string& text) {
        const fs::path path = home / name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    fs::path home;
    std::ostringstream out, err;
};

TEST_F(BooksCliTest, ImportListAndExportRoundTrip) {
    const std::string csv =
        "SipAccount,DisplayName,GroupName\r\n8001,大厅,一楼\r\n8002,\"Gate, east\",一楼\r\n";
    ASSERT_EQ(Run({"books", "import", "contacts", Csv("in.csv", csv).string()}), kExitOk)
        << err.str();
    // The list file is in the device code page.
    EXPECT_EQ(ReadAll(home / "Data" / "Contacts.dat"),
              "1\r\n@0\r\n\t8001\r\n\t\xB4\xF3\xCC\xFC\r\n\t\xD2\xBB\xC2\xA5\r\n"
              "2\r\n@0\r\n\t8002\r\n\tGate, east\r\n\t\xD2\xBB\xC2\xA5\r\n");

    EXPECT_EQ(Run({"books", "list", "contacts"}), kExitOk);
    EXPECT_EQ(out.str(), "1\t8001\t大厅\t一楼\n2\t8002\tGate, east\t一楼\n");
    EXPECT_EQ(Run({"books", "list", "contacts", "--csv"}), kExitOk);
    EXPECT_EQ(out.str(),
              "Number,SipAccount,DisplayName,GroupName\r\n1,8001,大厅,一楼\r\n"
              "2,8002,\"Gate, east\",一楼\r\n");

    const fs::path exported = home / "out.csv";
    EXPECT_EQ(Run({"books", "export", "contacts", exported.string()}), kExitOk) << err.str();
    EXPECT_EQ(ReadAll(exported), "\xEF\xBB\xBF" + csv);  // the mark that makes Excel read UTF-8

    // The download selections are listed and exported; a missing list is empty.
    EXPECT_EQ(Run({"books", "list", "dl-multicasts", "--csv"}), kExitOk);
    EXPECT_EQ(out.str(), "Number,ZoneName,Address,Port\r\n");
}

TEST_F(BooksCliTest, ABadRowChangesNothing) {
    ASSERT_EQ(Run({"books", "import", "multicasts",
                   Csv("ok.csv", "ZoneName,Address,Port\nHall,239.1.1.1,5000\n").string()}),
              kExitOk);
    const std::string before = ReadAll(home / "Data" / "Multicasts.dat");
    const fs::path bad =
        Csv("bad.csv", "ZoneName,Address,Port\nYard,239.1.1.1,5001\nYard2,239.1.1.1,5001\n");
    EXPECT_EQ(Run({"books", "import", "multicasts", bad.string()}), kExitFailure);
    EXPECT_EQ(err.str(), "pelmora-cli: " + bad.string() +
                             ": line 3: the multicast address 239.1.1.1 with port 5001 is "
                             "already listed\n");
    EXPECT_EQ(ReadAll(home / "Data" / "Multicasts.dat"), before);
}

TEST_F(BooksCliTest, UsageAndFileErrors) {
    struct Case {
        std::vector<std::string> args;
        int exit;
        const char* message;
    } cases[] = {
        {{"books", "list"}, kExitUsage, "books needs an action and a list"},
        {{"books", "sort", "contacts"}, kExitUsage, "unknown books action sort"},
        {{"books", "import", "dl-contacts", "x.csv"},
         kExitUsage,
         "only contacts and multicasts can be imported"},
        {{"books", "export", "contacts", "x.csv", "--csv"}, kExitUsage, "--csv is for books list"},
        {{"books", "import", "contacts", "/nonexistent/x.csv"},
         kExitFailure,
         "/nonexistent/x.csv: "},
        {{"books", "export", "contacts", "/nonexistent/x.csv"},
         kExitFailure,
         "/nonexistent/x.csv: "},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Run(c.args), c.exit) << c.message;
        EXPECT_NE(err.str().find(c.message), std::string::npos) << err.str();
        EXPECT_EQ(out.str(), "");
    }
    EXPECT_FALSE(fs::exists(home / "Data"));
    EXPECT_EQ(Run({"books", "--help"}), kExitOk);
    EXPECT_EQ(out.str().rfind("usage: pelmora-cli [--home DIR] books list", 0), 0u);
}

}  // namespace
