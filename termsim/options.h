// The command line of the termsim program.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "termsim/fleet.h"

namespace termsim {

// How long each run status of the program's terminals lasts unless --status-ms says otherwise.
constexpr std::chrono::milliseconds kProgramStatusPeriod{4000};

struct CommandLine {
    FleetOptions fleet;
    std::vector<int> muteTerminals;  // indexes from 0 of terminals that never answer
    bool updateAgent = true;         // the firmware-update agent on UDP 65276
    bool hostAgent = true;           // the host-table agent on UDP 6006 (family 520)
    std::string updatePassword;      // its login password (empty by default)
    std::string updateDeviceType;    // device type it reports (empty: the terminal's model)
    bool help = false;
};

// Parses argv[1..]; on a bad argument returns false with a message naming it.
bool ParseCommandLine(const std::vector<std::string>& args, CommandLine* out, std::string* error);

// Dotted IPv4 text to a host-order address; false for anything but four numbers 0 to 255.
bool ParseAddress(const std::string& text, std::uint32_t* address);

const char* UsageText();

}  // namespace termsim
