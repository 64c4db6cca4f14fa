// Terminals named on pelmora-cli's command line and the steps every command takes to reach them:
// finding, reading and logging in, with the window's retry and login rules.
#pragma once

#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "manager/access/deviceaccess.h"
#include "manager/access/kvlibrary.h"
#include "manager/params/paramblock.h"
#include "manager/params/paramdevice.h"

// The device-access library, loaded by every command the way the window loads it: from the
// folder the program runs on (folder), then beside the program (programFolder), then through the
// system's search. Null after a message on err when it cannot be loaded.
std::unique_ptr<TKvLibrary> LoadCliLibrary(const std::string& folder,
                                           const std::string& programFolder, std::ostream& err);

// A terminal as the library reaches it.
struct TCliTarget {
    std::string label;          // as given, or the MAC text of a terminal found by the search
    std::string accessAddress;  // empty: reached by MAC on the local network
    TMacBytes mac{};
};

// An IP text (three dots) or a MAC text (five dots, six decimal numbers up to 255); none for
// anything else.
std::optional<TCliTarget> ParseCliTarget(const std::string& text);

// What a terminal that asks for a login and got none is told to give.
constexpr const char* kCredentialsHint = "give --user and --password";

// The --user and --password of a command line (the parser wants both or neither); none without.
inline std::optional<TLoginCredentials> CliCredentials(const std::optional<std::string>& user,
                                                       const std::optional<std::string>& password) {
    if (!user || !password) return std::nullopt;
    return TLoginCredentials{*user, *password};
}

// Each step answers yes, or no with the reason in *error.
// Finds the MAC of a target given by its address (a target given by MAC has it).
bool ReachCliTarget(IDeviceAccess& access, TCliTarget& target, std::string* error);
bool ReadCliTarget(IDeviceAccess& access, const TCliTarget& target, TParamBlock& block,
                   std::string* error);
// The credentials are used only when the terminal asks for them.
bool LoginCliTarget(IDeviceAccess& access, const TCliTarget& target,
                    const std::optional<TLoginCredentials>& credentials, std::string* error);
