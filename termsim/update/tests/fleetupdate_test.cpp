// A fleet of 100 simulated terminals that lose 5% of their datagrams, in a seeded pattern, updated
// by the program `Vellup --batch`: each terminal's summary line agrees with the firmware the
// simulator holds afterwards. Terminals on 127.N.36.x of the process's block.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "termsim/fleet.h"
#include "termsim/update/fleetagent.h"
#include "tests/testnet.h"

namespace {

namespace fs = std::filesystem;

constexpr int kTerminals = 100;
const std::uint32_t kFirst = testnet::Address(36, 1);
const std::string kNewVersion = "V3.1.0";

void WriteFile(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

// An update file whose image begins with its header, as the simulated terminals expect.
std::string UpdateFile() {
    std::string header(1132, '\0');
    header.replace(0, 3, "B32");
    header.replace(8, kNewVersion.size(), kNewVersion);
    header.replace(40, 7, "SIP1601");
    std::string file = header;
    file.resize(4096, '\0');
    file += header;
    for (int i = 0; i < 2000; ++i)
        file += static_cast<char>(i * 7);
    return file;
}

struct Outcome {
    int status = -1;
    std::string out;
};

Outcome RunProgram(const std::string& command) {
    Outcome run;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return run;
    std::array<char, 4096> buffer;
    while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe))
        run.out.append(buffer.data(), n);
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TEST(FleetUpdate, EveryResultAgreesWithTheSimulatorUnderSeededLoss) {
    termsim::FleetOptions options;
    options.count = kTerminals;
    options.firstAddress = kFirst;
    options.models = {"SIP1601"};
    options.firmwares = {"V2.5.0"};
    options.restartTime = std::chrono::milliseconds(200);
    options.faults.lossRate = 0.05;
    options.seed = 20261209;
    termsim::TUpdateAgentConfig update;
    update.password = "fleet";
    update.restartTime = options.restartTime;
    options.agents.push_back(termsim::UpdateAgentFactory(update));
    termsim::Fleet fleet(options);
    std::string error;
    ASSERT_TRUE(fleet.Start(&error)) << error;

    const fs::path home =
        fs::temp_directory_path() / ("fleetupdate_test_" + std::to_string(::getpid()));
    fs::create_directories(home);
    std::string handoff;
    for (int i = 0; i < kTerminals; ++i)
        handoff += "2.75.86.0.0." + std::to_string(i + 1) + ";" + termsim::AddressText(kFirst + i) +
                   ";Door;V2.5.0;lo;SIP1601\r\n";
    WriteFile(home / "~devlist.lst", handoff);
    WriteFile(home / "update.bin", UpdateFile());
    WriteFile(home / "password.txt", "fleet\r\n");

    const Outcome run =
        RunProgram(std::string(PELMORA_BIN_DIR) + "/Vellup --batch --threads 50" + " --home '" +
                   home.string() + "' --file '" + (home / "update.bin").string() +
                   "' --password-file '" + (home / "password.txt").string() + "' 2>/dev/null");
    fs::remove_all(home);

    // The summary: one line per terminal, "IP <tab> result <tab> version".
    std::map<std::string, std::string> results;
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);) {
        const auto tab = line.find('\t');
        if (tab != std::string::npos) results[line.substr(0, tab)] = line.substr(tab + 1);
    }
    // "OK" lines carry the firmware the terminal reported after its restart: the simulator
    // must hold exactly that one.
    int ok = 0;
    for (int i = 0; i < kTerminals; ++i) {
        const std::string ip = termsim::AddressText(kFirst + i);
        const auto result = results.find(ip);
        ASSERT_NE(result, results.end()) << ip << " has no summary line\n" << run.out;
        const std::string firmware = fleet.State(i).Firmware();
        if (result->second.rfind("OK\t", 0) == 0) {
            ++ok;
            EXPECT_EQ(result->second, "OK\t" + firmware) << ip;
        } else {
            EXPECT_EQ(result->second.rfind("FAULT\t", 0), 0u) << ip << ": " << result->second;
        }
    }
    EXPECT_EQ(run.status, ok == kTerminals ? 0 : 1);
    // Login and device query are asked once, so 5% loss each way ends about one conversation in
    // five; the bound only catches a batch that reached hardly any terminal.
    EXPECT_GE(ok, kTerminals / 2);
}

}  // namespace
