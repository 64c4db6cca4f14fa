#include "manager/shell/atomicfile.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

int ProcessId() {
#ifdef _WIN32
    return _getpid();
#else
    return static_cast<int>(getpid());
#endif
}

// Pushes the file's data from the system's cache to the disk, so that the rename below cannot
// be seen before the data.
bool SyncToDisk(std::FILE* file) {
#ifdef _WIN32
    return _commit(_fileno(file)) == 0;
#else
    return fsync(fileno(file)) == 0;
#endif
}

bool ReplaceFile(const std::string& from, const std::string& to) {
#ifdef _WIN32
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    errno = EACCES;
    return false;
#else
    return std::rename(from.c_str(), to.c_str()) == 0;
#endif
}

}  // namespace

TFileResult FileError(int errorNumber) {
    return {false, std::strerror(errorNumber)};
}

TFileResult WriteFileAtomically(const std::string& path, std::string_view bytes) {
    static std::atomic<unsigned> counter{0};
    std::FILE* file = nullptr;
    std::string temporary;
    // "x": fail rather than reuse a file that happens to exist under the temporary name.
    for (int attempt = 0; attempt < 100 && !file; ++attempt) {
        temporary = path + ".tmp" + std::to_string(ProcessId()) + "-" + std::to_string(counter++);
        file = std::fopen(temporary.c_str(), "wbx");
        if (!file && errno != EEXIST) break;
    }
    if (!file) return FileError(errno);

    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() &&
                   std::fflush(file) == 0 && SyncToDisk(file);
    int error = errno;
    if (std::fclose(file) != 0 && written) {
        written = false;
        error = errno;
    }
    if (written && ReplaceFile(temporary, path)) return {};
    if (written) error = errno;
    std::remove(temporary.c_str());
    return FileError(error);
}
