#include "manager/params/paramdevice.h"

#include <algorithm>
#include <cstring>

#include "common/textutil.h"
#include "manager/access/devicerecord.h"

namespace {

TDeviceCredentials EmptyCredentials() {
    TDeviceCredentials credentials;
    std::memset(&credentials, 0, sizeof credentials);
    return credentials;
}

// At most 15 bytes in the device code page, never half a character, zero-terminated.
void StoreCredential(std::string_view text, char (&field)[16]) {
    std::memset(field, 0, sizeof field);
    StrToFixed(TrimBlanks(text), reinterpret_cast<std::uint8_t*>(field), sizeof field);
}

}  // namespace

bool IsFirmwareTooOld(const std::string& firmware) {
    return firmware < std::string("V2.5");
}

std::int32_t FindTerminalAt(IDeviceAccess& access, const std::string& ip, TMacBytes& mac) {
    TDeviceRecord record{};
    const std::int32_t result = access.SearchOne(ip, &record);
    if (result == kvresult::kOk) std::copy_n(record.bytes + devrec::kMac, mac.size(), mac.begin());
    return result;
}

std::int32_t ReadParamBlock(IDeviceAccess& access, const std::string& ip, const TMacBytes& mac,
                            TParamBlock& block) {
    TDeviceCredentials credentials = EmptyCredentials();
    std::int32_t result = 0;
    for (int attempt = 0; attempt < kReadAttempts && result != kvresult::kOk; ++attempt)
        result = access.ReadSetting(ip, mac, block.data(), &credentials);
    return result;
}

std::int32_t WriteParamBlock(IDeviceAccess& access, const std::string& ip, const TMacBytes& mac,
                             TParamBlock block, int* attempts) {
    TDeviceCredentials credentials = EmptyCredentials();
    std::int32_t result = 0;
    int made = 0;
    while (made < kWriteAttempts && result != kvresult::kOk) {
        ++made;
        result = access.WriteSetting(ip, mac, block.data(), static_cast<std::int32_t>(block.size()),
                                     &credentials);
    }
    if (attempts) *attempts = made;
    return result;
}

TLoginOutcome LoginTerminal(IDeviceAccess& access, const std::string& ip, const TMacBytes& mac,
                            const TCredentialsAsker& ask) {
    using TKind = TLoginOutcome::TKind;
    TDeviceCredentials credentials = EmptyCredentials();
    std::int32_t result = kvresult::kBusy;
    for (int attempt = 0; attempt < kLoginAttempts && result == kvresult::kBusy; ++attempt)
        result = access.Login(ip, mac, &credentials);
    if (result == kvresult::kCredentials) {
        const std::optional<TLoginCredentials> answer = ask ? ask() : std::nullopt;
        if (!answer) return {TKind::kDeclined, result};
        StoreCredential(answer->user, credentials.user);
        StoreCredential(answer->password, credentials.password);
        result = access.Login(ip, mac, &credentials);
        if (result == kvresult::kCredentials) {
            access.Logout(ip, mac, &credentials);
            return {TKind::kRefused, result};
        }
    }
    return {result == kvresult::kOk ? TKind::kLoggedIn : TKind::kFailed, result};
}

std::string LoginWithCredentials(IDeviceAccess& access, const std::string& ip, const TMacBytes& mac,
                                 const std::optional<TLoginCredentials>& credentials,
                                 const TLoginFailureTexts& texts) {
    const TLoginOutcome login =
        LoginTerminal(access, ip, mac, [&credentials] { return credentials; });
    switch (login.kind) {
        case TLoginOutcome::TKind::kLoggedIn:
            return {};
        case TLoginOutcome::TKind::kDeclined:
            return texts.wantsCredentials;
        case TLoginOutcome::TKind::kRefused:
            return texts.refused;
        case TLoginOutcome::TKind::kFailed:
            break;
    }
    return texts.failed(login.result);
}

void LogoutTerminal(IDeviceAccess& access, const std::string& ip, const TMacBytes& mac) {
    if (TrimBlanks(ip).empty()) return;
    TDeviceCredentials credentials = EmptyCredentials();
    std::int32_t result = kvresult::kBusy;
    for (int attempt = 0; attempt < kLogoutAttempts && result == kvresult::kBusy; ++attempt)
        result = access.Logout(ip, mac, &credentials);
}

TWriteBackOutcome WriteBackBlock(IDeviceAccess& access, const std::string& ip, const TMacBytes& mac,
                                 const TParamBlock& block, const TCredentialsAsker& ask,
                                 const std::string& movedTo) {
    using TKind = TWriteBackOutcome::TKind;
    auto failed = [](TKind kind, std::int32_t result, std::string text) {
        return TWriteBackOutcome{kind, result, text + " (result " + ResultNumberText(result) + ")"};
    };
    const TLoginOutcome login = LoginTerminal(access, ip, mac, ask);
    switch (login.kind) {
        case TLoginOutcome::TKind::kLoggedIn:
            break;
        case TLoginOutcome::TKind::kDeclined:
            return failed(TKind::kLoginDeclined, login.result, "the terminal asks for credentials");
        case TLoginOutcome::TKind::kRefused:
            return failed(TKind::kLoginRefused, login.result,
                          "the terminal refused the user name or password");
        case TLoginOutcome::TKind::kFailed:
            return failed(TKind::kLoginFailed, login.result, "login failed");
    }
    int attempts = 0;
    const std::int32_t result = WriteParamBlock(access, ip, mac, block, &attempts);
    const bool written = result == kvresult::kOk;
    LogoutTerminal(access, written && !TrimBlanks(ip).empty() && !movedTo.empty() ? movedTo : ip,
                   mac);
    if (written) return {TKind::kWritten, result, {}};
    return failed(TKind::kWriteFailed, result,
                  "writing the parameters failed after " + std::to_string(attempts) + " attempts");
}

std::string MovedAddress(const TParamBlock& before, const TParamBlock& after) {
    const TParamField& ip = ParamField("ip");
    const std::string address = GetFieldIp(after, ip);
    return address != GetFieldIp(before, ip) ? address : std::string();
}
