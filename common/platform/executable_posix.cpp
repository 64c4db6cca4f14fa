#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "common/platform/executable.h"

std::string ExecutableFolder() {
    std::error_code failed;
    const std::filesystem::path file = std::filesystem::read_symlink("/proc/self/exe", failed);
    return failed ? std::string() : file.parent_path().string();
}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

std::string UserDataFolder() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && *data) return data;
    const char* home = std::getenv("HOME");
    return (std::filesystem::path(home && *home ? home : "/tmp") / ".local/share").string();
}
