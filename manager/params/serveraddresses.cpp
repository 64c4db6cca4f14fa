#include "manager/params/serveraddresses.h"

#include <vector>

#include "common/inifile.h"
#include "common/textutil.h"
#include "manager/access/localinterfaces.h"

namespace {

constexpr std::string_view kSection = "Pelmora";

std::string ReadValue(const std::string& settingsFile, std::string_view section,
                      std::string_view key) {
    TIniFile ini;
    if (!ini.Load(settingsFile)) return std::string();
    return std::string(TrimBlanks(ini.ReadString(section, key, std::string())));
}

}  // namespace

std::string RememberedServer(const std::string& settingsFile, std::string_view key) {
    return ReadValue(settingsFile, kSection, key);
}

void RememberServer(const std::string& settingsFile, std::string_view key, std::string_view text) {
    TIniFile ini;
    if (!ini.Load(settingsFile)) return;
    ini.WriteString(kSection, key, text);
    ini.Save(settingsFile);
}

std::string DefaultManagementServer(const std::string& settingsFile) {
    std::string server = RememberedServer(settingsFile, kManageServerKey);
    if (server.empty()) server = ReadValue(settingsFile, "PLAYER", "DefaultInterface");
    if (server.empty()) {
        std::vector<std::string> addresses;
        if (GetLocalAddresses(addresses) > 0) server = addresses.front();
    }
    return server;
}
