// Pelmora's command line: options are options, only other arguments are device texts, and the
// program answers --help, --version and a bad option without a display.
#include "manager/shell/programoptions.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "manager/shell/programfolder.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace {

using TAction = TPelmoraOptions::TAction;

TEST(PelmoraOptions, OptionsAndTheDeviceText) {
    struct Case {
        std::vector<std::string> args;
        TAction action;
        std::string home, text, error;
    };
    const Case cases[] = {
        {{}, TAction::Run, "", "", ""},
        {{"8001;Gate;127.0.0.9;1.2.3.4.5.6;SIP520;V2.6;"},
         TAction::Run,
         "",
         "8001;Gate;127.0.0.9;1.2.3.4.5.6;SIP520;V2.6;",
         ""},
        {{"--home", "/tmp/h", "t"}, TAction::Run, "/tmp/h", "t", ""},
        {{"t", "--home=/tmp/h"}, TAction::Run, "/tmp/h", "t", ""},
        {{"--", "-not-an-option"}, TAction::Run, "", "-not-an-option", ""},
        {{"--help"}, TAction::Help, "", "", ""},
        {{"t", "-h"}, TAction::Help, "", "t", ""},
        {{"--version"}, TAction::Version, "", "", ""},
        {{"--bogus"}, TAction::Refuse, "", "", "unknown option --bogus"},
        {{"-platform", "offscreen"}, TAction::Refuse, "", "", "unknown option -platform"},
        {{"-"}, TAction::Refuse, "", "", "unknown option -"},
        {{"--home"}, TAction::Refuse, "", "", "--home needs a folder"},
        {{"--home="}, TAction::Refuse, "", "", "--home needs a folder"},
        {{"a", "b"}, TAction::Refuse, "", "a", "more than one device text: b"},
    };
    for (const Case& c : cases) {
        const TPelmoraOptions options = ParsePelmoraOptions(c.args);
        const std::string name = c.args.empty() ? "(none)" : c.args[0];
        EXPECT_EQ(options.action, c.action) << name;
        EXPECT_EQ(options.home, c.home) << name;
        EXPECT_EQ(options.deviceText, c.text) << name;
        EXPECT_EQ(options.error, c.error) << name;
    }
}

// The program itself with a platform that cannot start (no display): the answers come first.
TEST(PelmoraOptions, ProgramAnswersWithoutADisplay) {
    struct Case {
        const char* args;
        int exit;
        std::string start;  // of stdout and stderr together
    };
    const Case cases[] = {
        {"--help", 0, "usage: Pelmora [--home DIR] [DEVICE-TEXT]\n"},
        {"--version", 0, "Pelmora 1.3.9\n"},
        {"--bogus", 2, "Pelmora: unknown option --bogus\nusage: Pelmora"},
    };
    for (const Case& c : cases) {
        const std::string command =
            std::string("env -u DISPLAY -u WAYLAND_DISPLAY ") +
            "QT_QPA_PLATFORM=xcb timeout 60 '" PELMORA_BIN_DIR "/Pelmora' " + c.args + " 2>&1";
        FILE* child = ::popen(command.c_str(), "r");
        ASSERT_NE(child, nullptr);
        std::string output;
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, child)) > 0;)
            output.append(buffer, n);
        const int status = ::pclose(child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == c.exit) << c.args << " " << status;
        EXPECT_EQ(output.rfind(c.start, 0), 0u) << c.args << ": " << output;
    }
}

// The folder a program works on, and where its shipped files are read from.
TEST(ProgramFolder, WorkFolderAndShippedFiles) {
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / ("programfolder-" + std::to_string(getpid()));
    fs::create_directories(root / "exe/lang");
    fs::create_directories(root / "home");
    std::ofstream(root / "exe/license.dat") << "x";
    std::ofstream(root / "exe/lang/Pelmora.xml") << "x";
    std::ofstream(root / "home/license.dat") << "x";
    const std::string exe = (root / "exe").string(), home = (root / "home").string();
    setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);

    EXPECT_EQ(WorkFolder(home, exe), home);
    EXPECT_EQ(WorkFolder("", exe), exe);
    EXPECT_EQ(WorkFolder("", (root / "missing").string()), (root / "data/Pelmora").string());
    EXPECT_EQ(ShippedFile(home, exe, "license.dat"), (root / "home/license.dat").string());
    EXPECT_EQ(ShippedFile(home, exe, "lang/Pelmora.xml"), (root / "exe/lang/Pelmora.xml").string());
    EXPECT_EQ(ShippedFile(home, "", "lang/Pelmora.xml"), (root / "home/lang/Pelmora.xml").string());
    unsetenv("XDG_DATA_HOME");
    fs::remove_all(root);
}

}  // namespace
