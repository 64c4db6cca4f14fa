// Shared helpers of the fuzz targets: a failed check stops the run, and a scratch folder of the
// process for targets whose parser reads files. Files there are written without fsync and in
// memory where the machine offers /dev/shm, so such targets keep their speed.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace fuzzsupport {

inline void Check(bool condition) {
    if (!condition) __builtin_trap();
}

// Made at first use, removed when the process ends normally.
inline const std::filesystem::path& ScratchFolder() {
    struct Folder {
        std::filesystem::path path;
        Folder() {
            std::error_code ec;
            const std::filesystem::path shm = "/dev/shm";
            const auto base = std::filesystem::is_directory(shm, ec)
                                  ? shm
                                  : std::filesystem::temp_directory_path();
            path = base / ("pelmora-fuzz-" + std::to_string(::getpid()));
            std::filesystem::create_directories(path, ec);
        }
        ~Folder() {
            std::error_code ec;
            std::filesystem::remove_all(path, ec);
        }
    };
    static const Folder folder;
    return folder.path;
}

// Replaces the file's content; false when it cannot be written.
inline bool WriteScratchFile(const std::filesystem::path& file, std::string_view bytes) {
    std::FILE* f = std::fopen(file.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace fuzzsupport
