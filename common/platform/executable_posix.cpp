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
