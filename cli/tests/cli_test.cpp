// pelmora-cli: CSV texts, the list command in-process, and the program's search against a fleet
// of simulated terminals on loopback.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>

#include "cli/clicommands.h"
#include "cli/csvwriter.h"
#include "manager/shell/devicebook.h"
#include "termsim/fleet.h"
#include "tests/testnet.h"

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TDeviceRow BookRow(const std::string& account, const std::string& name, const std::string& ip,
                   const std::string& mac, const std::string& location) {
    TDeviceRow row;
    row.columns = {account, name, ip, mac, "SIP-X", "V2.5", "127.0.0.1", location};
    return row;
}

class CliTest : public ::testing::Test {
  protected:
    void SetUp() override {
        home = fs::temp_directory_path() /
               ("pelmora-cli-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(home);
        fs::create_directories(home);
    }
    void TearDown() override { fs::remove_all(home); }

    void WriteBook(const fs::path& path, const std::vector<TDeviceRow>& rows) {
        TDeviceList list;
        list.AppendRows(rows);
        ASSERT_TRUE(SaveDeviceFile(path.string(), list).ok);
    }

    int Run(const std::vector<std::string>& args) {
        out.str("");
        err.str("");
        return RunCli(args, home.string(), out, err);
    }

    fs::path home;
    std::ostringstream out, err;
};

TEST(CsvTest, FieldsAreQuotedOnlyWhenNeeded) {
    struct Case {
        std::string text, field;
    };
    const std::vector<Case> cases = {
        {"plain", "plain"},
        {"", ""},
        {"Hall, East", "\"Hall, East\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\nlines", "\"two\nlines\""},
        {"cr\r", "\"cr\r\""},
        {" padded ", "\" padded \""},
        {"\xE9\x97\xA8\xE5\x8F\xA3", "\xE9\x97\xA8\xE5\x8F\xA3"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CsvField(c.text), c.field) << c.text;
}

TEST_F(CliTest, ListPrintsEveryRowAsLoadingGivesIt) {
    const fs::path file = home / "site.dat";
    WriteBook(file, {BookRow("1001", "Hall, East", testnet::InBlock("127.0.9.30"), "9.9.9.9.9.9",
                             "Books"),
                     BookRow("1002", "\xE9\x97\xA8\"A\"", testnet::InBlock("127.0.9.31"),
                             "8.8.8.8.8.8", "LocalNetwork")});
    const std::string before = ReadAll(file);
    EXPECT_EQ(Run({"list", file.string(), "--csv"}), kExitOk) << err.str();
    EXPECT_EQ(out.str(),
              testnet::InBlock(
                  "State,Account,DisplayName,IP,MAC,Model,Firmware,Interface,Location\r\n"
                  "Offline,1001,\"Hall, East\",127.0.9.30,9.9.9.9.9.9,SIP-X,V2.5,,Books\r\n"
                  "Offline,1002,\"\xE9\x97\xA8\"\"A\"\"\",127.0.9.31,8.8.8.8.8.8,SIP-X,V2.5,,"
                  "LocalNetwork\r\n"));
    EXPECT_EQ(ReadAll(file), before);
}

TEST_F(CliTest, FailuresAndUsage) {
    struct Case {
        std::vector<std::string> args;
        int exit;
        std::string message;  // part of the text on stderr
    };
    const std::vector<Case> cases = {
        {{"list", (home / "none.dat").string(), "--csv"}, kExitFailure, std::strerror(ENOENT)},
        {{"list", home.string(), "--csv"}, kExitFailure, std::strerror(EISDIR)},
        {{"--home", home.string(), "search", "--csv"}, kExitFailure, "libkvsetup.so"},
        {{}, kExitUsage, "no command"},
        {{"find", "--csv"}, kExitUsage, "unknown command find"},
        {{"list", "--csv"}, kExitUsage, "list needs one file"},
        {{"search", "x.dat"}, kExitUsage, "search takes no file"},
        {{"search", "--json"}, kExitUsage, "unknown option --json"},
        {{"search", "--home"}, kExitUsage, "--home needs a folder"},
        {{"search", "-x"}, kExitUsage, "unknown option -x"},
        // The options of every command, checked before it runs.
        {{"--home", (home / "none").string(), "params", "fields"},
         kExitUsage,
         "pelmora-cli: --home " + (home / "none").string() + ": no such folder\n"},
        {{"params", "fields", "--lang", "fr"}, kExitUsage, "unknown language \"fr\""},
        {{"list", "--csv", "--lang"}, kExitUsage, "--lang needs a language"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Run(c.args), c.exit) << c.message;
        EXPECT_NE(err.str().find(c.message), std::string::npos) << err.str();
        EXPECT_TRUE(out.str().empty());
    }
    EXPECT_FALSE(fs::exists(home / "none.dat"));
    EXPECT_FALSE(fs::exists(home / "devdb.dat"));

    // A damaged language file: the built-in texts, unless a language is asked for.
    fs::create_directories(home / "lang");
    std::ofstream(home / "lang" / "Pelmora.xml") << "<Pelmora><Language>";
    EXPECT_EQ(Run({"params", "fields"}), kExitOk) << err.str();
    EXPECT_EQ(Run({"--lang", "en", "params", "fields"}), kExitUsage);
    EXPECT_EQ(err.str(), "pelmora-cli: the language file " +
                             (home / "lang" / "Pelmora.xml").string() + " cannot be read\n");
}

TEST_F(CliTest, HelpAndVersion) {
    struct Case {
        std::vector<std::string> args;
        std::string start;  // of stdout
    };
    const Case cases[] = {
        {{"--help"}, "usage: pelmora-cli [--home DIR] search [--csv | --out FILE.csv|FILE.xlsx]\n"},
        {{"search", "-h"}, "usage: pelmora-cli"},
        {{"--version"}, "pelmora-cli 1.3.9\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Run(c.args), kExitOk) << c.args[0];
        EXPECT_EQ(out.str().rfind(c.start, 0), 0u) << out.str();
        EXPECT_TRUE(err.str().empty());
    }
}

// The program itself, as a child, against four simulated terminals on NET.1-4: the first of a
// model the shipped catalogue knows, the third not a SIP terminal. Each test has a network of its
// own (127.N.9 or 127.N.10 of the process's block).
class CliSearchTest : public CliTest {
  protected:
    void StartFleet(std::uint8_t network) {
        network_ = testnet::InBlock("127.0.") + std::to_string(network) + ".";
        termsim::FleetOptions options;
        options.count = 4;
        options.firstAddress = testnet::Address(network, 1);
        options.models = {"SIP520", "SIP-T20", "IPC-100", "SIP-T20"};
        fleet = std::make_unique<termsim::Fleet>(options);
        std::string error;
        ASSERT_TRUE(fleet->Start(&error)) << error;
        fs::copy_file(fs::path(PELMORA_SOURCE_DIR) / "data/files/license.dat",
                      home / "license.dat");
    }

    // Runs "pelmora-cli --home HOME search --csv" (the device-access library lies beside the
    // program, not in HOME); the exit status, stdout and stderr.
    struct TChild {
        int status = -1;
        std::string out, err;
    };
    TChild RunSearch(const std::string& targets) {
        const std::string command = "XDG_CONFIG_HOME='" + (home / "config").string() +
                                    "' KVSETUP_TARGETS='" + targets + "' timeout 60 '" +
                                    PELMORA_BIN_DIR + "/pelmora-cli' --home '" + home.string() +
                                    "' search --csv 2>'" + (home / "stderr.txt").string() + "'";
        TChild result;
        FILE* child = ::popen(command.c_str(), "r");
        EXPECT_NE(child, nullptr);
        if (!child) return result;
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, child)) > 0;)
            result.out.append(buffer, n);
        result.status = ::pclose(child);
        result.err = ReadAll(home / "stderr.txt");
        return result;
    }

    // The CSV's lines without their CR LF, of a search that must succeed.
    std::vector<std::string> SearchLines() {
        const TChild child = RunSearch(network_ + "1-" + network_ + "20");
        EXPECT_EQ(child.status, 0) << child.err;
        const std::string& csv = child.out;
        std::vector<std::string> lines;
        std::istringstream stream(csv);
        for (std::string line; std::getline(stream, line);) {
            EXPECT_TRUE(line.ends_with('\r')) << line;
            if (line.ends_with('\r')) line.pop_back();
            lines.push_back(line);
        }
        return lines;
    }

    std::unique_ptr<termsim::Fleet> fleet;
    std::string network_;
};

TEST_F(CliSearchTest, BooksRowsFirstThenTheTerminalsFound) {
    ASSERT_NO_FATAL_FAILURE(StartFleet(9));
    // Terminal 2 moved away from the address in the book; 127.0.9.30 answers nothing.
    WriteBook(
        home / "devdb.dat",
        {BookRow("old", "Old name", testnet::InBlock("127.0.9.99"), "2.75.86.0.0.2", "Books"),
         BookRow("7001", "Hall, East", testnet::InBlock("127.0.9.30"), "9.9.9.9.9.9", "Books"),
         BookRow("7002", "Found", testnet::InBlock("127.0.9.4"), "2.75.86.0.0.4", "LocalNetwork")});
    const std::string book = ReadAll(home / "devdb.dat");

    std::vector<std::string> lines = SearchLines();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "State,Account,DisplayName,IP,MAC,Model,Firmware,Interface,Location");
    EXPECT_EQ(
        lines[1],
        testnet::InBlock(
            "Online,8002,Terminal 2,127.0.9.2,2.75.86.0.0.2,undefined,V2.6.0,127.0.0.1,Books"));
    EXPECT_EQ(
        lines[2],
        testnet::InBlock("Offline,7001,\"Hall, East\",127.0.9.30,9.9.9.9.9.9,SIP-X,V2.5,,Books"));
    // The terminals found on the network follow in the order the search reported them.
    std::vector<std::string> found(lines.begin() + 3, lines.end());
    std::sort(found.begin(), found.end());
    EXPECT_EQ(
        found,
        (std::vector<std::string>{
            testnet::InBlock(
                "Online,8001,Terminal 1,127.0.9.1,2.75.86.0.0.1,SIP520,V2.6.0,127.0.0.1,"
                "LocalNetwork"),
            testnet::InBlock("Online,8004,Terminal 4,127.0.9.4,2.75.86.0.0.4,undefined,V2.6.0,"
                             "127.0.0.1,LocalNetwork")}));

    // Read-only: the book is as it was and nothing else appeared.
    EXPECT_EQ(ReadAll(home / "devdb.dat"), book);
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(home))
        names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"devdb.dat", "license.dat", "stderr.txt"}));

    // A target list that does not parse: the bad item named, no list, a failure exit.
    const TChild bad = RunSearch(testnet::InBlock("127.0.9.1-127.0.9.4,foo,bar"));
    EXPECT_TRUE(WIFEXITED(bad.status) && WEXITSTATUS(bad.status) == kExitFailure) << bad.status;
    EXPECT_TRUE(bad.out.empty());
    EXPECT_NE(bad.err.find("KVSETUP_TARGETS: \"foo\" is neither an IPv4 address nor a range"),
              std::string::npos)
        << bad.err;
    EXPECT_NE(bad.err.find("the search failed: "), std::string::npos) << bad.err;
}

TEST_F(CliSearchTest, WithoutABookOnlyFoundTerminalsAndUnknownModelsShownWhenSet) {
    // ShowUnknowDeviceType on in the user's settings: models the catalogue lacks appear as
    // reported.
    ASSERT_NO_FATAL_FAILURE(StartFleet(10));
    fs::create_directories(home / "config" / "Tarnix");
    std::ofstream(home / "config" / "Tarnix" / "Drovik.conf")
        << "[General]\nShowUnknowDeviceType=1\n";
    std::vector<std::string> lines = SearchLines();
    ASSERT_EQ(lines.size(), 4u);
    std::sort(lines.begin() + 1, lines.end());
    EXPECT_EQ(lines[1],
              testnet::InBlock("Online,8001,Terminal "
                               "1,127.0.10.1,2.75.86.0.0.1,SIP520,V2.6.0,127.0.0.1,LocalNetwork"));
    EXPECT_EQ(lines[2],
              testnet::InBlock("Online,8002,Terminal "
                               "2,127.0.10.2,2.75.86.0.0.2,SIP-T20,V2.6.0,127.0.0.1,LocalNetwork"));
    EXPECT_EQ(lines[3],
              testnet::InBlock("Online,8004,Terminal "
                               "4,127.0.10.4,2.75.86.0.0.4,SIP-T20,V2.6.0,127.0.0.1,LocalNetwork"));
    EXPECT_FALSE(fs::exists(home / "devdb.dat"));
}

}  // namespace
