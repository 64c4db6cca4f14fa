// Batch mode: the same batch without a window, its printed log, summary and exit code;
// simulated terminals on 127.N.33.x.
#include <gtest/gtest.h>

#include <QProcess>
#include <cstdio>
#include <regex>
#include <stdexcept>

#include "common/tablefile.h"
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

    // Terminals 127.N.subnet.first and on; each reply is lost with the chance loss.
    TBatchSetup(unsigned first, int count, std::function<void(int, TUpdateAgentConfig&)> tweak = {},
                double loss = 0.0, unsigned subnet = 33) {
        std::string handoff;
        for (int i = 0; i < count; ++i) {
            TUpdateAgentConfig config;
            config.password = "batch";
            config.deviceType = "SIP1601";
            config.version = "V2.5.0";
            config.restartTime = std::chrono::milliseconds(100);
            config.keepData = true;
            if (tweak) tweak(i, config);
            addresses.push_back(Loopback(subnet, first + unsigned(i)));
            runner.Add(addresses.back(), 65276, config, loss);
            handoff += "mac" + std::to_string(i) + ";" + IpTextOf(addresses.back()) +
                       ";Door;V2.5.0;lo;SIP1601\r\n";
        }
        std::string error;
        // Thrown, so that the test stops at once rather than running against no terminals.
        if (!runner.Start(&error)) throw std::runtime_error("simulated terminals: " + error);
        WriteBytes(home / "~devlist.lst", handoff);
        std::filesystem::create_directories(home / "fw");
        auto header = testsupport::MakeHeader("V3.1.0", "SIP1601");
        testsupport::WriteUpdateFile(home / "fw" / "update.bin", header,
                                     testsupport::MakeImage(30000, header));
        options.programFolder = home.Path();
        options.updateFile = (home / "fw" / "update.bin").string();
        options.password = "batch";
        // Replies are awaited for seconds, so a loaded machine never turns a slow reply into a
        // lost one; the reset pause outlasts the terminals' restart, so no search waits in vain.
        options.times = {3000, 300, 20};
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
    EXPECT_EQ(lines[lines.size() - 3], testnet::InBlock("127.0.33.20\tOK\tV3.1.0"));
    EXPECT_EQ(lines[lines.size() - 2], testnet::InBlock("127.0.33.21\tFAULT\tV2.5.0"));
    // The second terminal ended before its reset and still freed its place for the third.
    EXPECT_EQ(lines[lines.size() - 1], testnet::InBlock("127.0.33.22\tOK\tV3.1.0"));
    EXPECT_NE(o.out.find(testnet::InBlock(
                  "127.0.33.21 update process is break off. (This update package is not "
                  "suitable for the target device)")),
              std::string::npos);
}

TEST(BatchMode, FilesThatCannotBeWritten) {
    TBatchSetup s(30, 1);
    std::filesystem::create_directory(s.home / "updatefile.txt");  // no file can replace it
    s.options.reportFile = (s.home / "none" / "report.csv").string();
    Output o = RunCaptured(s.options);
    EXPECT_EQ(o.code, 1) << "a report that cannot be written fails the batch";
    const std::string reason = "Cannot write " + (s.home / "updatefile.txt").string() + ": ";
    EXPECT_EQ(o.err.substr(0, reason.size()), reason) << o.err;
    EXPECT_NE(o.err.find("\nCannot write the report " + s.options.reportFile + ": "),
              std::string::npos)
        << o.err;
    std::vector<std::string> lines = Lines(o.out);
    ASSERT_GT(lines.size(), 4u);
    EXPECT_EQ(lines[4].substr(0, reason.size()), reason);
    EXPECT_EQ(lines.back(), testnet::InBlock("127.0.33.30\tOK\tV3.1.0"));
}

// The report's header and rows as the table reader reads them.
std::vector<std::vector<std::string>> CsvRows(const std::string& bytes) {
    TTable table;
    TTableError error;
    EXPECT_TRUE(ParseTable(bytes, table, &error)) << TableErrorText(error);
    std::vector<std::vector<std::string>> rows{table.header.fields};
    for (const TCsvRecord& row : table.rows)
        rows.push_back(row.fields);
    return rows;
}

// Retry rounds, the report against the simulator's truth, and the progress line.
TEST(BatchMode, RetryRoundsReportAndProgress) {
    TBatchSetup s(60, 3, [](int i, TUpdateAgentConfig& c) {
        if (i == 1) c.refuseLogins = 1;       // fails once, then succeeds
        if (i == 2) c.deviceType = "SIP310";  // fails every time
    });
    WriteBytes(s.home / "~devlist.lst",
               testsupport::ReadBytes(s.home / "~devlist.lst") + "mx;bad ip;Gate;V2.4.0;lo;X\r\n");
    s.options.threads = 1;
    s.options.retries = 2;
    s.options.progress = true;
    s.options.reportFile = (s.home / "report.csv").string();
    Output o = RunCaptured(s.options);
    EXPECT_EQ(o.code, 1) << o.err;
    std::vector<std::string> lines = Lines(o.out);
    auto has = [&](const std::string& line) {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    };
    EXPECT_TRUE(
        has(testnet::InBlock("127.0.33.61 update process is break off. (Login is faulst)")));
    EXPECT_TRUE(has("Round 2: retrying the failed terminals (2)"));
    EXPECT_TRUE(has(testnet::InBlock("Round 2: 127.0.33.61 update process is sucessful")));
    EXPECT_TRUE(has("Round 3: retrying the failed terminals (1)"));
    EXPECT_TRUE(has(testnet::InBlock(
        "Round 3: 127.0.33.62 update process is break off. (This update package is "
        "not suitable for the target device)")));
    EXPECT_TRUE(has("Round 3: All update process has finished"));
    EXPECT_FALSE(has("Round 4: All update process has finished"));
    EXPECT_EQ(std::vector<std::string>(lines.end() - 4, lines.end()),
              (std::vector<std::string>{testnet::InBlock("127.0.33.60\tOK\tV3.1.0"),
                                        testnet::InBlock("127.0.33.61\tOK\tV3.1.0"),
                                        testnet::InBlock("127.0.33.62\tFAULT\tV2.5.0"),
                                        "bad ip\tInvalid IP\tV2.4.0"}));

    auto csv = CsvRows(testsupport::ReadBytes(s.options.reportFile));
    ASSERT_EQ(csv.size(), 5u);
    EXPECT_EQ(csv[0], (std::vector<std::string>{"IP", "MAC", "DeviceName", "VersionBefore",
                                                "VersionAfter", "Process", "Result", "Round",
                                                "StartTime", "DurationSeconds"}));
    struct Truth {
        std::string process, result, round;
    } truth[] = {{"OK", "0", "1"}, {"OK", "0", "2"}, {"FAULT", "1", "3"}};
    for (int i = 0; i < 3; ++i) {
        const auto& row = csv[1 + i];
        ASSERT_EQ(row.size(), 10u);
        EXPECT_EQ(row[0], IpTextOf(s.addresses[i]));
        EXPECT_EQ(row[1], "mac" + std::to_string(i));
        EXPECT_EQ(row[2], "Door");
        EXPECT_EQ(row[3], "V2.5.0");
        EXPECT_EQ(row[5], truth[i].process) << i;
        EXPECT_EQ(row[6], truth[i].result) << i;
        EXPECT_EQ(row[7], truth[i].round) << i;
        EXPECT_EQ(row[8].size(), 20u) << row[8];  // 2026-03-01T12:00:05Z
        EXPECT_FALSE(row[9].empty());
        s.runner.With(i, [&](const termsim::TUpdateAgent& a) {
            // What the terminal went through: updated exactly when the report says so.
            EXPECT_EQ(a.Stats().resets, truth[i].result == "0" ? 1 : 0) << i;
            EXPECT_EQ(row[4], truth[i].result == "0" ? a.Version() : "") << i;
            EXPECT_EQ(a.Stats().logins + a.Stats().refusedLogins, std::stoi(truth[i].round)) << i;
        });
    }
    EXPECT_EQ(csv[4], (std::vector<std::string>{"bad ip", "mx", "Gate", "V2.4.0", "", "Invalid IP",
                                                "", "1", "", ""}));

    // --progress: the overall line only, on stderr.
    std::vector<std::string> progress = Lines(o.err);
    ASSERT_FALSE(progress.empty());
    for (const std::string& line : progress)
        EXPECT_TRUE(std::regex_match(
            line, std::regex("done [0-9]+, failed [0-9]+, running [0-9]+, waiting [0-9]+")))
            << line;
}

// A lossy network: every listed terminal is tried, each ends with what the simulated terminal
// went through, and the batch ends within the protocol's waits (127.N.35.x).
TEST(BatchMode, FivePercentLossOnAHundredTerminals) {
    TBatchSetup s(1, 100, {}, 0.05, 35);
    s.options.threads = 20;
    s.options.times = {300, 100, 20};
    s.options.reportFile = (s.home / "report.csv").string();
    Output o = RunCaptured(s.options);
    auto csv = CsvRows(testsupport::ReadBytes(s.options.reportFile));
    ASSERT_EQ(csv.size(), 101u) << o.err;
    bool allOk = true;
    for (int i = 0; i < 100; ++i) {
        const auto& row = csv[1 + i];
        ASSERT_EQ(row.size(), 10u);
        const std::string& code = row[6];
        ASSERT_FALSE(code.empty()) << row[0] << " was never tried: " << row[5];
        allOk = allOk && code == "0";
        s.runner.With(i, [&](const termsim::TUpdateAgent& a) {
            const bool reset = a.Stats().resets > 0;
            EXPECT_EQ(code == "0" || code == "5", reset) << row[0] << " result " << code;
            EXPECT_EQ(a.Version(), reset ? "V3.1.0" : "V2.5.0") << row[0];
            if (code == "0") {
                EXPECT_EQ(row[4], a.Version()) << row[0];
            }
        });
    }
    EXPECT_EQ(o.code, allOk ? 0 : 1);
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
        WriteBytes(s.home / "~devlist.lst", testnet::InBlock("m;127.0.33.40;n;v;i;t\r\n"));
        c.change(s.options, s.home);
        Output o = RunCaptured(s.options);
        EXPECT_EQ(o.code, 2) << c.name;
        EXPECT_EQ(o.err.substr(0, c.err.size()), c.err) << c.name << ": " << o.err;
    }
}

TEST(BatchMode, Arguments) {
    TBatchOptions o;
    std::string error;
    ASSERT_TRUE(ParseBatchArguments(
        {"--batch", "--file", "a.bin", "--threads", "5", "--no-pak", "--password-file", "pw.txt",
         "--list", "l.lst", "--home", "/h", "--retry", "3", "--report", "r.csv", "--progress"},
        &o, &error))
        << error;
    EXPECT_EQ(o.updateFile, "a.bin");
    EXPECT_EQ(o.threads, 5);
    EXPECT_TRUE(o.noPak);
    EXPECT_EQ(o.passwordFile, "pw.txt");
    EXPECT_EQ(o.listFile, "l.lst");
    EXPECT_EQ(o.programFolder, "/h");
    EXPECT_EQ(o.retries, 3);
    EXPECT_EQ(o.reportFile, "r.csv");
    EXPECT_TRUE(o.progress);
    TBatchOptions t;
    ASSERT_TRUE(ParseBatchArguments({"--batch", "--file", "a", "--threads", "x"}, &t, &error));
    EXPECT_EQ(t.threads, 0) << "not a whole number: no limit";
    for (std::vector<std::string> bad : std::vector<std::vector<std::string>>{
             {"--batch"},
             {"--batch", "--file"},
             {"--batch", "--file", "a", "--what"},
             {"--batch", "--file", "a", "--retry", "-1"},
             {"--batch", "--file", "a", "--retry", "two"},
             {"--batch", "--file", "a", "--report"},
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
    WriteBytes(s.home / "pw.txt", "batch\rsecond line");  // a lone CR ends the line
    QProcess vellup;
    vellup.start(PELMORA_BIN_DIR "/Vellup",
                 {"--batch", "--home", QString::fromStdString(s.home.Path().string()), "--file",
                  QString::fromStdString(s.options.updateFile), "--password-file",
                  QString::fromStdString((s.home / "pw.txt").string())});
    ASSERT_TRUE(vellup.waitForFinished(60000));
    std::string out = vellup.readAllStandardOutput().toStdString();
    EXPECT_EQ(vellup.exitCode(), 0) << out << vellup.readAllStandardError().toStdString();
    EXPECT_NE(out.find(testnet::InBlock("127.0.33.50\tOK\tV3.1.0\n127.0.33.51\tOK\tV3.1.0\n")),
              std::string::npos)
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
