// The manager's settings: "SysConfig.ini" in the program folder ([SYSTEM] SearchTimes, Language,
// AutoSearchEnable) and the per-user "ShowUnknowDeviceType" value. Other sections of the file
// belong to the property editor and are never touched here.
#pragma once

#include <cstdint>
#include <string>

#include "manager/settings/settingsstore.h"

struct TSysConfig {
    std::int32_t Language = 0;          // index of the language in the language file
    std::int32_t SearchTimes = 3;       // kept in 1..3
    std::int32_t AutoSearchEnable = 0;  // read only
    bool ShowUnknowDeviceType = false;  // show unknown model names instead of "undefined"
};

// Where the settings live for one program run.
struct TSysConfigPlace {
    std::string programFolder;                  // holds the default "SysConfig.ini"
    const ISettingsStore* userStore = nullptr;  // "Tarnix"/"Drovik"; none reads as off
};

// The file an empty path stands for: program folder + "SysConfig.ini".
std::string SysConfigPath(const TSysConfigPlace& place, const std::string& path);

// Fills config from the file (path empty: the default file) and the user store. A missing file
// gives the defaults and true; a file that cannot be read gives the defaults and false.
bool ReadSysConfig(const TSysConfigPlace& place, const std::string& path, TSysConfig& config);

// Writes [SYSTEM] SearchTimes and Language, creating file and section when missing; everything
// else in the file stays as it was. The file is replaced atomically. On failure returns false
// with the system's error text in *error and leaves the old file intact.
bool WriteSysConfig(const TSysConfigPlace& place, const std::string& path, const TSysConfig& config,
                    std::string* error = nullptr);

// Records the full path of the program file as "Path" in the per-machine store, only when it is
// missing or differs (exact text). A store that cannot be written is skipped silently. Returns
// the text to show the user when writing the value failed, empty otherwise.
std::string SaveProgramPath(ISettingsStore& machineStore, const std::string& programFilePath);
