#include "manager/settings/sysconfig.h"

#include <algorithm>
#include <charconv>
#include <filesystem>

#include "common/inifile.h"

namespace {

constexpr const char* kSection = "SYSTEM";

bool ShowUnknownFromStore(const ISettingsStore* store) {
    if (!store) return false;
    const auto text = store->ReadText("ShowUnknowDeviceType");
    if (!text) return false;
    int value = 0;
    const auto [end, ec] = std::from_chars(text->data(), text->data() + text->size(), value);
    return ec == std::errc() && end == text->data() + text->size() && value > 0;
}

}  // namespace

std::string SysConfigPath(const TSysConfigPlace& place, const std::string& path) {
    if (!path.empty()) return path;
    return (std::filesystem::path(place.programFolder) / "SysConfig.ini").string();
}

bool ReadSysConfig(const TSysConfigPlace& place, const std::string& path, TSysConfig& config) {
    config = TSysConfig{};
    TIniFile ini;
    const bool readable = ini.Load(SysConfigPath(place, path));
    config.SearchTimes = std::clamp(ini.ReadInteger(kSection, "SearchTimes", 3), 1, 3);
    config.Language = ini.ReadInteger(kSection, "Language", 0);
    config.AutoSearchEnable = ini.ReadInteger(kSection, "AutoSearchEnable", 0);
    config.ShowUnknowDeviceType = ShowUnknownFromStore(place.userStore);
    return readable;
}

bool WriteSysConfig(const TSysConfigPlace& place, const std::string& path, const TSysConfig& config,
                    std::string* error) {
    const std::string file = SysConfigPath(place, path);
    TIniFile ini;
    // A file that exists but cannot be read must not be replaced by the two keys alone.
    if (!ini.Load(file, error)) return false;
    ini.WriteInteger(kSection, "SearchTimes", std::clamp(config.SearchTimes, 1, 3));
    ini.WriteInteger(kSection, "Language", config.Language);
    return ini.Save(file, error);
}

std::string SaveProgramPath(ISettingsStore& machineStore, const std::string& programFilePath) {
    if (machineStore.ReadText("Path") == programFilePath) return {};
    const TStoreWriteResult result = machineStore.WriteText("Path", programFilePath);
    return result.outcome == TStoreWrite::Failed ? result.error : std::string();
}
