// Batch mode: the same batch without a window, its printed log, summary and exit code;
// simulated terminals on 127.0.33.x.
#include <gtest/gtest.h>

#include <QProcess>
#include <cstdio>

#include "termsim/update/agentrunner.h"
#include "testsupport.h"
#include "updater/batchmode.h"
#include "updater/ipv4text.h"

namespace {

using termsim::TUpdateAgentConfig;
using termsim::TUpdateAgentRunner;
using testsupport::Loopback;
using testsupport::TempDir;
using testsupport::WriteBytes;

struct Output {
    int code = -1;
    std::string out, err;
};

std::string Drain(std::FILE* f) {
    std::rewind(f);
    std::string text;
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, f))
        text.append(buffer, n);
    std::fclose(f);
    return text;
}

Output RunCaptured(const TBatchOptions& options) {
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    Output o;
    o.code = RunBatch(options, out, err);
    o.out = Drain(out);
    o.err = Drain(err);
    return o;
}

struct TBatchSetup {
    TempDir home;
    TUpdateAgentRunner runner;
    std::vector<std::uint32_t> addresses;
    TBatchOptions options;

    TBatchSetup(unsigned first, int count,
                std::function<void(int, TUpdateAgentConfig&)> tweak = {}) {
        std::string handoff;
        for (int i = 0; i < count; ++i) {
            TUpdateAgentConfig config;
            config.password = "batch";
            config.deviceType = "SIP1601";
            config.version = "V2.5.0";
            config.restartTime = std::chrono::milliseconds(100);
            config.keepData = true;
            if (tweak) tweak(i, config);
            addresses.push_back(Loopback(33, first + unsigned(i)));
            runner.Add(addresses.back(), 65276, config);
            handoff += "mac" + std::to_string(i) + ";" + IpTextOf(addresses.back()) +
                       ";Door;V2.5.0;lo;SIP1601\r\n";
        }
        std::string error;
        EXPECT_TRUE(runner.Start(&error)) << error;
        WriteBytes(home / "~devlist.lst", handoff);
        std::filesystem::create_directories(home / "fw");
        auto header = testsupport::MakeHeader("V3.1.0", "SIP1601");
        testsupport::WriteUpdateFile(home / "fw" / "update.bin", header,
                                     testsupport::MakeImage(30000, header));
        options.programFolder = home.Path();
        options.updateFile = (home / "fw" / "update.bin").string();
        options.password = "batch";
        options.times = {1000, 100, 20};
    }
};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

TEST(BatchMode, UpdatesEveryListedTerminalWithThePak) {
    TBatchSetup s(1, 3);
    WriteBytes(s.home / "fw" / "voice.pak", std::string(2000, 'v'));
    s.options.threads = 0;
    Output o = RunCaptured(s.options);
    EXPECT_EQ(o.code, 0) << o.err;
    EXPECT_EQ(o.err, "");
    std::vector<std::string> lines = Lines(o.out);
    ASSERT_EQ(lines.size(), 3u + 1 + 1 + 3 + 1 + 3);
    EXPECT_EQ(lines[3], "AgentPort = 65276");
    EXPECT_EQ(lines[4], "load " + (s.home / "fw" / "voice.pak").string());
    EXPECT_EQ(lines[8], "All update process has finished");
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(lines[9 + i], IpTextOf(s.addresses[i]) + "\tOK\tV3.1.0");
        s.runner.With(i, [](const termsim::TUpdateAgent& a) {
            EXPECT_EQ(a.Stats().pakAddresses, (std::vector<std::uint16_t>{0, 4}));
            ASSERT_EQ(a.Pak().size(), 2048u);
            EXPECT_EQ(std::count(a.Pak().begin(), a.Pak().begin() + 2000, 'v'), 2000);
        });
    }
    EXPECT_EQ(testsupport::ReadBytes(s.home / "updatefile.txt"), s.options.updateFile + "\r\n");

    // --no-pak: nothing of the earlier pak is sent.
    TBatchSetup again(10, 1);
    again.options.updateFile = s.options.updateFile;
    again.options.noPak = true;
    Output o2 = RunCaptured(again.options);
    EXPECT_EQ(o2.code, 0) << o2.err;
    again.runner.With(
        0, [](const termsim::TUpdateAgent& a) { EXPECT_TRUE(a.Stats().pakAddresses.empty()); });
}

TEST(BatchMode, AnyFaultGivesExitCodeOne) {
    TBatchSetup s(20, 3, [](int i, TUpdateAgentConfig& c) {
        if (i == 1) c.deviceType = "SIP310";
    });
    s.options.threads = 1;
    Output o = RunCaptured(s.options);
    EXPECT_EQ(o.code, 1);
    std::vector<std::string> lines = Lines(o.out);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[lines.size() - 3], "127.0.33.20\tOK\tV3.1.0");
    EXPECT_EQ(lines[lines.size() - 2], "127.0.33.21\tFAULT\tV2.5.0");
    // The second terminal ended before its reset and still freed its place for the third.
    EXPECT_EQ(lines[lines.size() - 1], "127.0.33.22\tOK\tV3.1.0");
    EXPECT_NE(o.out.find("127.0.33.21 update process is break off. (This update package is not "
                         "suitable for the target device)"),
              std::string::npos);
}

TEST(BatchMode, RecallFileThatCannotBeWrittenIsSaidAndTheBatchGoesOn) {
    TBatchSetup s(30, 1);
    std::filesystem::create_directory(s.home / "updatefile.txt");  // no file can replace it
    Output o = RunCaptured(s.options);
    EXPECT_EQ(o.code, 0) << o.err;
    const std::string reason = "Cannot write " + (s.home / "updatefile.txt").string() + ": ";
    EXPECT_EQ(o.err.substr(0, reason.size()), reason) << o.err;
    std::vector<std::string> lines = Lines(o.out);
    ASSERT_GT(lines.size(), 4u);
    EXPECT_EQ(lines[4].substr(0, reason.size()), reason);
    EXPECT_EQ(lines.back(), "127.0.33.30\tOK\tV3.1.0");
}

TEST(BatchMode, BatchesThatCannotStart) {
    struct Case {
        const char* name;
        std::function<void(TBatchOptions&, const TempDir&)> change;
        std::string err;  // the start of the message on stderr
    } cases[] = {
        {"missing update file", [](TBatchOptions& o, const TempDir&) { o.updateFile += ".gone"; },
         "update file is not exist."},
        {"missing list", [](TBatchOptions& o, const TempDir&) { o.listFile = "/nonexistent/x"; },
         "Cannot open file \"/nonexistent/x\"."},
        {"empty list",
         [](TBatchOptions& o, const TempDir& d) {
             WriteBytes(d / "empty.lst", "");
             o.listFile = (d / "empty.lst").string();
         },
         "No device selected"},
        {"password too long",
         [](TBatchOptions& o, const TempDir&) { o.password = std::string(17, 'x'); },
         "The password is longer than 16 characters"},
        {"password file missing",
         [](TBatchOptions& o, const TempDir&) {
             o.password.reset();
             o.passwordFile = "/nonexistent/pw";
         },
         "Cannot open file"},
    };
    for (const Case& c : cases) {
        TBatchSetup s(40, 0);
        auto header = testsupport::MakeHeader("V3.1.0", "SIP1601");
        testsupport::WriteUpdateFile(s.options.updateFile, header, {});
        WriteBytes(s.home / "~devlist.lst", "m;127.0.33.40;n;v;i;t\r\n");
        c.change(s.options, s.home);
        Output o = RunCaptured(s.options);
        EXPECT_EQ(o.code, 2) << c.name;
        EXPECT_EQ(o.err.substr(0, c.err.size()), c.err) << c.name << ": " << o.err;
    }
}

TEST(BatchMode, Arguments) {
    TBatchOptions o;
    std::string error;
    ASSERT_TRUE(
        ParseBatchArguments({"--batch", "--file", "a.bin", "--threads", "5", "--no-pak",
                             "--password-file", "pw.txt", "--list", "l.lst", "--home", "/h"},
                            &o, &error))
        << error;
    EXPECT_EQ(o.updateFile, "a.bin");
    EXPECT_EQ(o.threads, 5);
    EXPECT_TRUE(o.noPak);
    EXPECT_EQ(o.passwordFile, "pw.txt");
    EXPECT_EQ(o.listFile, "l.lst");
    EXPECT_EQ(o.programFolder, "/h");
    TBatchOptions t;
    ASSERT_TRUE(ParseBatchArguments({"--batch", "--file", "a", "--threads", "x"}, &t, &error));
    EXPECT_EQ(t.threads, 0) << "not a whole number: no limit";
    for (std::vector<std::string> bad : std::vector<std::vector<std::string>>{
             {"--batch"},
             {"--batch", "--file"},
             {"--batch", "--file", "a", "--what"},
             {"--batch", "--file", "a", "--password", "p", "--password-file", "f"}}) {
        TBatchOptions b;
        EXPECT_FALSE(ParseBatchArguments(bad, &b, &error)) << bad.size();
        EXPECT_FALSE(error.empty());
    }
}

// The program itself, with the protocol's own waits.
TEST(BatchMode, TheProgram) {
    TBatchSetup s(50, 2, [](int, TUpdateAgentConfig& c) { c.restartTime = {}; });
    auto header = testsupport::MakeHeader("V3.1.0", "SIP1601");
    testsupport::WriteUpdateFile(s.options.updateFile, header,
                                 testsupport::MakeImage(3000, header));
    WriteBytes(s.home / "pw.txt", "batch\r\n");
    QProcess vellup;
    vellup.start(PELMORA_BIN_DIR "/Vellup",
                 {"--batch", "--home", QString::fromStdString(s.home.Path().string()), "--file",
                  QString::fromStdString(s.options.updateFile), "--password-file",
                  QString::fromStdString((s.home / "pw.txt").string())});
    ASSERT_TRUE(vellup.waitForFinished(60000));
    std::string out = vellup.readAllStandardOutput().toStdString();
    EXPECT_EQ(vellup.exitCode(), 0) << out << vellup.readAllStandardError().toStdString();
    EXPECT_NE(out.find("127.0.33.50\tOK\tV3.1.0\n127.0.33.51\tOK\tV3.1.0\n"), std::string::npos)
        << out;

    // Started in the update file's folder with a bare file name: the pak file next to it is
    // sent, and the full path is recalled.
    WriteBytes(s.home / "fw" / "voice.pak", std::string(1500, 'p'));
    std::filesystem::remove(s.home / "updatefile.txt");
    QProcess here;
    here.setWorkingDirectory(QString::fromStdString((s.home / "fw").string()));
    here.start(PELMORA_BIN_DIR "/Vellup",
               {"--batch", "--home", QString::fromStdString(s.home.Path().string()), "--file",
                "update.bin", "--password", "batch"});
    ASSERT_TRUE(here.waitForFinished(60000));
    out = here.readAllStandardOutput().toStdString();
    EXPECT_EQ(here.exitCode(), 0) << out << here.readAllStandardError().toStdString();
    EXPECT_NE(out.find("load " + (s.home / "fw" / "voice.pak").string() + "\n"), std::string::npos)
        << out;
    EXPECT_EQ(testsupport::ReadBytes(s.home / "updatefile.txt"), s.options.updateFile + "\r\n");
    s.runner.With(0, [](const termsim::TUpdateAgent& a) {
        EXPECT_EQ(a.Stats().pakAddresses, (std::vector<std::uint16_t>{0, 4}));
    });

    QProcess refused;
    refused.start(PELMORA_BIN_DIR "/Vellup",
                  {"--batch", "--home", QString::fromStdString(s.home.Path().string()), "--file",
                   QString::fromStdString((s.home / "none.bin").string())});
    ASSERT_TRUE(refused.waitForFinished(60000));
    EXPECT_EQ(refused.exitCode(), 2);
    EXPECT_EQ(refused.readAllStandardError().toStdString(), "update file is not exist.\n");
}

// Usage and version need no display, whatever the platform.
TEST(BatchMode, HelpAndVersionWithoutADisplay) {
    struct Case {
        const char* argument;
        std::string start;  // of stdout
    } cases[] = {{"--help", "usage: Vellup"}, {"--version", "Vellup v1.2.1\n"}};
    for (const Case& c : cases) {
        QProcess vellup;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            env.remove(name);
        vellup.setProcessEnvironment(env);
        vellup.start(PELMORA_BIN_DIR "/Vellup", {c.argument});
        ASSERT_TRUE(vellup.waitForFinished(60000));
        EXPECT_EQ(vellup.exitStatus(), QProcess::NormalExit) << c.argument;
        EXPECT_EQ(vellup.exitCode(), 0) << c.argument;
        std::string out = vellup.readAllStandardOutput().toStdString();
        EXPECT_EQ(out.substr(0, c.start.size()), c.start) << c.argument;
    }
}

}  // namespace
