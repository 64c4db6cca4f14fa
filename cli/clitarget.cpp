#include "cli/clitarget.h"

#include <algorithm>

#include "manager/access/devicerecord.h"

std::optional<TCliTarget> ParseCliTarget(const std::string& text) {
    const auto dots = std::count(text.begin(), text.end(), '.');
    if (dots == 3 && IsValidIPStrict(text)) return TCliTarget{text, text, {}};
    if (dots == 5) {
        const TMacBytes mac = TextToMac(text);
        if (MacToText(mac.data()) == text) return TCliTarget{text, std::string(), mac};
    }
    return std::nullopt;
}

bool ReachCliTarget(IDeviceAccess& access, TCliTarget& target, std::string* error) {
    if (target.accessAddress.empty()) return true;
    const std::int32_t result = FindTerminalAt(access, target.accessAddress, target.mac);
    if (result == kvresult::kOk) return true;
    *error = "no terminal answers at this address (result " + ResultNumberText(result) + ")";
    return false;
}

bool ReadCliTarget(IDeviceAccess& access, const TCliTarget& target, TParamBlock& block,
                   std::string* error) {
    const std::int32_t result = ReadParamBlock(access, target.accessAddress, target.mac, block);
    if (result == kvresult::kOk) return true;
    *error = "reading the parameters failed after " + std::to_string(kReadAttempts) +
             " attempts (result " + ResultNumberText(result) + ")";
    return false;
}

bool LoginCliTarget(IDeviceAccess& access, const TCliTarget& target,
                    const std::optional<TLoginCredentials>& credentials, std::string* error) {
    *error = LoginWithCredentials(
        access, target.accessAddress, target.mac, credentials,
        {std::string("the terminal asks for credentials: ") + kCredentialsHint,
         "the terminal refused the user name or password", [](std::int32_t result) {
             return "login failed (result " + ResultNumberText(result) + ")";
         }});
    return error->empty();
}

std::unique_ptr<TKvLibrary> LoadCliLibrary(const std::string& folder,
                                           const std::string& programFolder, std::ostream& err) {
    std::string error;
    std::unique_ptr<TKvLibrary> library = TKvLibrary::LoadForProgram(folder, programFolder, &error);
    if (!library) err << "pelmora-cli: " << error << "\n";
    return library;
}
