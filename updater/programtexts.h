// Fixed texts and limits of Vellup shared by its window and its batch mode.
#pragma once

#include <array>
#include <string>

#include "common/textcodec.h"
#include "updater/protocol.h"
#include "updater/updatejob.h"

inline constexpr char kCaption[] = "Vellup v1.2.1";
inline constexpr char kMessageTitle[] = "Vellup";

// The log's first lines, the program's version history.
inline constexpr std::array<const char*, 3> kInitialLog = {
    "V1.1 support 1M bytes bin file",
    "V1.2 load data if *.pak file is in bin path and has been checked",
    "v1.2.1 [KILL BUG]load *.pak file is fault if this is the first time to load.",
};

inline std::string AgentPortLine() {
    return "AgentPort = " + std::to_string(kAgentPort);
}

inline constexpr char kNoDeviceSelected[] = "No device selected";
inline constexpr char kPasswordTooLong[] =
    "The password is longer than 16 characters; the terminals accept at most 16.";

// The login field holds 16 bytes of the device code page; a longer password would be cut.
inline bool PasswordFits(const std::string& utf8) {
    return ToDeviceBytes(utf8).size() <= kPasswordField;
}
