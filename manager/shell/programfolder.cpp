#include "manager/shell/programfolder.h"

#include <unistd.h>

#include <filesystem>

#include "common/platform/executable.h"

namespace fs = std::filesystem;

std::string UserProgramFolder() {
    return (fs::path(UserDataFolder()) / "Pelmora").string();
}

std::string WorkFolder(const std::string& home, const std::string& executableFolder) {
    if (!home.empty()) return home;
    if (::access(executableFolder.c_str(), W_OK) == 0) return executableFolder;
    return UserProgramFolder();
}

std::string ShippedFile(const std::string& workFolder, const std::string& executableFolder,
                        const std::string& name) {
    const fs::path own = fs::path(workFolder) / name;
    std::error_code ignored;
    if (fs::exists(own, ignored) || executableFolder.empty()) return own.string();
    return (fs::path(executableFolder) / name).string();
}
