// cmake --install into a temporary prefix: the layout, the desktop entries, and the installed
// programs at work (pelmora-cli finds the library and the catalogue beside itself; Vellup --batch
// updates simulated terminals).
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "termsim/fleet.h"
#include "termsim/update/agentrunner.h"
#include "updater/tests/testsupport.h"

namespace fs = std::filesystem;

namespace {

struct TRun {
    int exit = -1;
    std::string out;
};

// Runs a shell command line; stdout (and stderr when the command redirects it) and exit code.
TRun RunShell(const std::string& command) {
    TRun run;
    FILE* child = ::popen(command.c_str(), "r");
    if (!child) return run;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, child)) > 0;)
        run.out.append(buffer, n);
    const int status = ::pclose(child);
    run.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::string Quoted(const fs::path& path) {
    return "'" + path.string() + "'";
}

class InstalledTreeTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        prefix_ = new testsupport::TempDir;
        installed_ = RunShell(std::string("'") + PELMORA_CMAKE +
                              "' --install '" PELMORA_BUILD_DIR "' --prefix " +
                              Quoted(prefix_->Path()) + " 2>&1");
    }
    static void TearDownTestSuite() {
        delete prefix_;
        prefix_ = nullptr;
    }
    void SetUp() override { ASSERT_EQ(installed_.exit, 0) << installed_.out; }

    static const fs::path& Prefix() { return prefix_->Path(); }

    static testsupport::TempDir* prefix_;
    static TRun installed_;
};

testsupport::TempDir* InstalledTreeTest::prefix_ = nullptr;
TRun InstalledTreeTest::installed_;

TEST_F(InstalledTreeTest, OneProgramFolderLinksDesktopEntriesAndIcons) {
    const fs::path folder = Prefix() / "lib/pelmora";
    for (const char* file :
         {"Pelmora", "Vellup", "pelmora-cli", "libkvsetup.so", "lang/Pelmora.xml", "license.dat"})
        EXPECT_TRUE(fs::is_regular_file(folder / file)) << file;
    EXPECT_FALSE(fs::exists(folder / "termsim"));
    struct Link {
        const char *name, *program;
    };
    for (const Link& l :
         {Link{"Pelmora", "Pelmora"}, Link{"Vellup", "Vellup"}, Link{"pelmora-cli", "pelmora-cli"},
          Link{"pelmora", "Pelmora"}, Link{"vellup", "Vellup"}}) {
        const fs::path link = Prefix() / "bin" / l.name;
        ASSERT_TRUE(fs::is_symlink(link)) << l.name;
        EXPECT_EQ(fs::canonical(link), fs::canonical(folder / l.program));
    }
    // Each entry starts its program and names its icon, both as installed.
    struct Entry {
        const char *file, *exec, *icon;
    };
    for (const Entry& e : {Entry{"pelmora.desktop", "Pelmora", "pelmora"},
                           Entry{"vellup.desktop", "Vellup", "vellup"}}) {
        std::ifstream in(Prefix() / "share/applications" / e.file);
        ASSERT_TRUE(in) << e.file;
        std::string line, exec, icon, type;
        while (std::getline(in, line)) {
            if (line.starts_with("Exec=")) exec = line.substr(5);
            if (line.starts_with("Icon=")) icon = line.substr(5);
            if (line.starts_with("Type=")) type = line.substr(5);
        }
        EXPECT_EQ(type, "Application") << e.file;
        EXPECT_EQ(exec, e.exec) << e.file;
        EXPECT_EQ(icon, e.icon) << e.file;
        EXPECT_TRUE(fs::is_symlink(Prefix() / "bin" / exec)) << e.file;
        EXPECT_TRUE(
            fs::is_regular_file(Prefix() / "share/icons/hicolor/scalable/apps" / (icon + ".svg")))
            << e.file;
        // The desktops' own check, where the machine has it (scripts/test installs it).
        if (RunShell("command -v desktop-file-validate").exit == 0) {
            const TRun valid = RunShell("desktop-file-validate " +
                                        Quoted(Prefix() / "share/applications" / e.file) + " 2>&1");
            EXPECT_EQ(valid.exit, 0) << valid.out;
            EXPECT_EQ(valid.out, "") << e.file;
        }
    }
}

// Every command has a manual page made from its own --help; the guide and Debian's documents are
// where the help window and dpkg expect them.
TEST_F(InstalledTreeTest, ManualPagesGuideAndDebianDocuments) {
    struct Page {
        const char *name, *option;
    };
    for (const Page& p : {Page{"Pelmora", "\\-\\-home"}, Page{"pelmora", "\\-\\-home"},
                          Page{"Vellup", "\\-\\-batch"}, Page{"vellup", "\\-\\-batch"},
                          Page{"pelmora-cli", "params"}}) {
        const fs::path page = Prefix() / "share/man/man1" / (std::string(p.name) + ".1.gz");
        const TRun text = RunShell("gzip -dc " + Quoted(page));
        EXPECT_EQ(text.exit, 0) << p.name;
        EXPECT_NE(text.out.find(".SH DESCRIPTION"), std::string::npos) << p.name;
        EXPECT_NE(text.out.find(p.option), std::string::npos) << p.name << "\n" << text.out;
    }
    for (const char* guide : {"en/guide.md", "zh_CN/guide.md"})
        EXPECT_TRUE(fs::is_regular_file(Prefix() / "share/pelmora/guide" / guide)) << guide;
    const fs::path doc = Prefix() / "share/doc/pelmora";
    std::ifstream copyright(doc / "copyright");
    std::string format;
    std::getline(copyright, format);
    EXPECT_EQ(format, "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/");
    const TRun changelog = RunShell("gzip -dc " + Quoted(doc / "changelog.gz"));
    EXPECT_TRUE(changelog.out.starts_with("pelmora (1.3.9) unstable; urgency=medium\n"))
        << changelog.out;
    EXPECT_NE(changelog.out.find("\n -- " PELMORA_MAINTAINER "  "), std::string::npos)
        << changelog.out;
}

// The .deb as scripts/package builds it: its control fields, and Debian's own check, where the
// machine has it (scripts/test installs it).
TEST(DebianPackageTest, ControlFieldsAndLintian) {
    if (RunShell("command -v lintian && command -v dpkg-shlibdeps").exit != 0)
        GTEST_SKIP() << "lintian or dpkg-dev is not installed: the package is not checked";
    testsupport::TempDir out;
    const TRun cpack = RunShell("'" PELMORA_CPACK "' -G DEB --config '" PELMORA_BUILD_DIR
                                "/CPackConfig.cmake' -B " +
                                Quoted(out.Path()) + " 2>&1");
    ASSERT_EQ(cpack.exit, 0) << cpack.out;
    fs::path deb;
    for (const fs::directory_entry& entry : fs::directory_iterator(out.Path()))
        if (entry.path().extension() == ".deb") deb = entry.path();
    ASSERT_TRUE(deb.filename().string().starts_with("pelmora_1.3.9_")) << cpack.out;
    const TRun fields = RunShell("dpkg-deb -f " + Quoted(deb) + " Maintainer Recommends");
    EXPECT_EQ(fields.out, "Maintainer: " PELMORA_MAINTAINER
                          "\nRecommends: qt6-translations-l10n, fonts-noto-cjk\n");
    const TRun lintian = RunShell("lintian --fail-on error,warning " + Quoted(deb) + " 2>&1");
    EXPECT_EQ(lintian.exit, 0) << lintian.out;
}

TEST_F(InstalledTreeTest, CommandLineAnswersAndSearchesWithTheInstalledLibrary) {
    const TRun version = RunShell(Quoted(Prefix() / "bin/pelmora-cli") + " --version");
    EXPECT_EQ(version.exit, 0);
    EXPECT_EQ(version.out, "pelmora-cli 1.3.9\n");

    termsim::FleetOptions options;
    options.count = 2;
    options.firstAddress = testsupport::Loopback(41, 1);
    options.models = {"SIP520"};
    termsim::Fleet fleet(options);
    std::string error;
    ASSERT_TRUE(fleet.Start(&error)) << error;
    testsupport::TempDir home;
    const TRun search =
        RunShell("XDG_CONFIG_HOME=" + Quoted(home / "config") +
                 testnet::InBlock(" KVSETUP_TARGETS=127.0.41.1-127.0.41.2 timeout 60 ") +
                 Quoted(Prefix() / "bin/pelmora-cli") + " --home " + Quoted(home.Path()) +
                 " search --csv 2>&1");
    EXPECT_EQ(search.exit, 0) << search.out;
    // The catalogue beside the program names the model: the home folder has none.
    EXPECT_NE(search.out.find(testnet::InBlock(",127.0.41.1,2.75.86.0.0.1,SIP520,")),
              std::string::npos)
        << search.out;
    EXPECT_NE(search.out.find(testnet::InBlock(",127.0.41.2,2.75.86.0.0.2,")), std::string::npos)
        << search.out;
}

TEST_F(InstalledTreeTest, UpdaterBatchUpdatesSimulatedTerminals) {
    testsupport::TempDir home;
    termsim::TUpdateAgentRunner runner;
    std::string handoff;
    for (unsigned i = 0; i < 2; ++i) {
        termsim::TUpdateAgentConfig config;
        config.password = "batch";
        config.deviceType = "SIP1601";
        config.version = "V2.5.0";
        config.restartTime = {};
        runner.Add(testsupport::Loopback(41, 10 + i), 65276, config);
        handoff += "mac" + std::to_string(i) + ";" + testnet::Text(41, 10 + i) +
                   ";Door;V2.5.0;lo;SIP1601\r\n";
    }
    std::string error;
    ASSERT_TRUE(runner.Start(&error)) << error;
    testsupport::WriteBytes(home / "~devlist.lst", handoff);
    testsupport::WriteBytes(home / "pw.txt", "batch\r\n");
    const auto header = testsupport::MakeHeader("V3.1.0", "SIP1601");
    testsupport::WriteUpdateFile(home / "update.bin", header, testsupport::MakeImage(3000, header));
    const TRun batch =
        RunShell("timeout 120 " + Quoted(Prefix() / "bin/Vellup") + " --batch --home " +
                 Quoted(home.Path()) + " --file " + Quoted(home / "update.bin") +
                 " --password-file " + Quoted(home / "pw.txt") + " 2>&1");
    EXPECT_EQ(batch.exit, 0) << batch.out;
    EXPECT_NE(
        batch.out.find(testnet::InBlock("127.0.41.10\tOK\tV3.1.0\n127.0.41.11\tOK\tV3.1.0\n")),
        std::string::npos)
        << batch.out;
}

}  // namespace
