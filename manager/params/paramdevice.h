// Reading, writing, logging in to and logging out of one terminal through the device-access
// library, with the callers' retry rules. Qt-free: the main window's procedures and the command
// line both use these, and only show the outcome their own way.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "manager/access/deviceaccess.h"
#include "manager/params/paramblock.h"

// Firmware texts below "V2.5" in plain byte order are not supported: nothing is read for the
// editor or written to such a terminal.
bool IsFirmwareTooOld(const std::string& firmware);

constexpr int kReadAttempts = 5;
constexpr int kWriteAttempts = 6;
constexpr int kLoginAttempts = 5;   // while the terminal answers busy
constexpr int kLogoutAttempts = 5;  // while the terminal answers busy

// The terminal that answers at an address (kv_search_one): on result 1, mac is its MAC.
std::int32_t FindTerminalAt(IDeviceAccess& access, const std::string& ip, TMacBytes& mac);

// Up to 5 reads until one answers 1. Returns the last result.
std::int32_t ReadParamBlock(IDeviceAccess& access, const std::string& ip, const TMacBytes& mac,
                            TParamBlock& block);
// Up to 6 writes until one answers 1. Returns the last result; *attempts (when given) counts
// the calls made.
std::int32_t WriteParamBlock(IDeviceAccess& access, const std::string& ip, const TMacBytes& mac,
                             TParamBlock block, int* attempts = nullptr);

// User name and password for a terminal that asked for credentials.
struct TLoginCredentials {
    std::string user;
    std::string password;
};
// Asked once, after the first credentials request; nothing ends the login.
using TCredentialsAsker = std::function<std::optional<TLoginCredentials>()>;

struct TLoginOutcome {
    enum class TKind {
        kLoggedIn,
        kDeclined,  // the asker gave no credentials
        kRefused,   // the credentials were refused; a logout was sent
        kFailed,    // another result, in result
    };
    TKind kind = TKind::kFailed;
    std::int32_t result = 0;
};

// Login: up to 5 calls while the terminal is busy; on a credentials request the asker (user name
// and password, each trimmed, at most 15 bytes, terminated), then one more call; when that is
// refused again one logout with those credentials.
TLoginOutcome LoginTerminal(IDeviceAccess& access, const std::string& ip, const TMacBytes& mac,
                            const TCredentialsAsker& ask);

// What a caller shows for a login that did not go through.
struct TLoginFailureTexts {
    std::string wantsCredentials;  // the terminal asks for credentials and none were given
    std::string refused;           // the credentials were refused
    std::function<std::string(std::int32_t result)> failed;  // another result
};
// Login with credentials known beforehand (used only when the terminal asks for them). Empty on
// success, otherwise the caller's text for the outcome.
std::string LoginWithCredentials(IDeviceAccess& access, const std::string& ip, const TMacBytes& mac,
                                 const std::optional<TLoginCredentials>& credentials,
                                 const TLoginFailureTexts& texts);

// Logout, only when the trimmed address is not empty: up to 5 calls while the terminal is busy.
void LogoutTerminal(IDeviceAccess& access, const std::string& ip, const TMacBytes& mac);

// A block written back to a terminal: login, the write with its retries, then the logout by the
// rule. A write that moved the terminal to another address logs out there, where it now answers.
struct TWriteBackOutcome {
    enum class TKind {
        kWritten,
        kLoginDeclined,  // the terminal wants credentials and none were given
        kLoginRefused,
        kLoginFailed,
        kWriteFailed,
    };
    TKind kind = TKind::kWriteFailed;
    std::int32_t result = 0;
    std::string text;  // why it failed, with the library's result; empty when written
};
// movedTo: the terminal's new address when the block changes it, else empty.
TWriteBackOutcome WriteBackBlock(IDeviceAccess& access, const std::string& ip, const TMacBytes& mac,
                                 const TParamBlock& block, const TCredentialsAsker& ask,
                                 const std::string& movedTo = {});
// The new address that after gives the terminal, when it differs from before's; else empty.
std::string MovedAddress(const TParamBlock& before, const TParamBlock& after);
