// Atomic replacement on POSIX: mkostemp, fsync and rename.
#include "common/atomicfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

namespace {

// The process's file creation mask, read once while the program starts and has one thread:
// reading it means setting it, which would race with other threads creating files.
const mode_t kCreationMask = [] {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}();

bool Fail(std::string* error, int code) {
    if (error) *error = std::strerror(code);
    return false;
}

// The folder of path, so the temporary file lands on the same file system as the target.
std::string FolderOf(const std::string& path) {
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    return parent.empty() ? std::string(".") : parent.string();
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error) {
    const std::string name = std::filesystem::path(path).filename().string();
    std::string pattern = FolderOf(path) + "/." + name + ".XXXXXX";
    std::vector<char> temp(pattern.begin(), pattern.end());
    temp.push_back('\0');

    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return Fail(error, errno);

    int code = 0;
    for (std::size_t done = 0; done < bytes.size() && code == 0;) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno != EINTR) code = errno;
        if (n > 0) done += static_cast<std::size_t>(n);
    }
    // Keep the permissions a plain new file would get rather than mkstemp's 0600.
    if (code == 0) {
        struct stat old {};
        const mode_t mode =
            ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : (0666 & ~kCreationMask);
        if (::fchmod(fd, mode) != 0) code = errno;
    }
    if (code == 0 && ::fsync(fd) != 0) code = errno;
    if (::close(fd) != 0 && code == 0) code = errno;
    if (code == 0 && std::rename(temp.data(), path.c_str()) != 0) code = errno;
    if (code != 0) {
        ::unlink(temp.data());
        return Fail(error, code);
    }
    return true;
}

bool ReadWholeFile(const std::string& path, std::string& bytes, std::string* error, bool* missing) {
    if (missing) *missing = false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        const int code = errno;
        if (missing) *missing = code == ENOENT;
        return Fail(error, code);
    }
    std::string data;
    char chunk[65536];
    int code = 0;
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            code = errno;
            break;
        }
        data.append(chunk, static_cast<std::size_t>(n));
    }
    ::close(fd);
    if (code != 0) return Fail(error, code);
    bytes = std::move(data);
    return true;
}
