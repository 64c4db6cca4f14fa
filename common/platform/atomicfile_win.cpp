// Atomic replacement on Windows: a new file beside the target, flushed, then moved over it with
// MoveFileExW (write-through), which replaces the target in one step.
#include <windows.h>

#include <filesystem>
#include <random>

#include "common/atomicfile.h"
#include "common/platform/wintext.h"

namespace {

bool Fail(std::string* error, DWORD code) {
    if (error) *error = WindowsErrorText(code);
    return false;
}

std::wstring TemporaryBeside(const std::wstring& target) {
    const std::filesystem::path path(target);
    thread_local std::mt19937 numbers{std::random_device{}()};
    const std::wstring folder = path.has_parent_path() ? path.parent_path().wstring() : L".";
    return folder + L"\\." + path.filename().wstring() + L"." + std::to_wstring(numbers()) +
           L".tmp";
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error) {
    const std::wstring target = WideFromUtf8(path);
    std::wstring temp;
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int tries = 0; tries < 8 && file == INVALID_HANDLE_VALUE; ++tries) {
        temp = TemporaryBeside(target);
        file = ::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_EXISTS)
            return Fail(error, ::GetLastError());
    }
    if (file == INVALID_HANDLE_VALUE) return Fail(error, ERROR_FILE_EXISTS);

    DWORD code = 0;
    for (std::size_t done = 0; done < bytes.size() && code == 0;) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data() + done, chunk, &written, nullptr))
            code = ::GetLastError();
        done += written;
    }
    if (code == 0 && !::FlushFileBuffers(file)) code = ::GetLastError();
    if (!::CloseHandle(file) && code == 0) code = ::GetLastError();
    if (code == 0 && !::MoveFileExW(temp.c_str(), target.c_str(),
                                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        code = ::GetLastError();
    if (code != 0) {
        ::DeleteFileW(temp.c_str());
        return Fail(error, code);
    }
    return true;
}

bool ReadWholeFile(const std::string& path, std::string& bytes, std::string* error, bool* missing) {
    if (missing) *missing = false;
    const HANDLE file = ::CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD code = ::GetLastError();
        if (missing) *missing = code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND;
        return Fail(error, code);
    }
    std::string data;
    char chunk[65536];
    DWORD code = 0;
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file, chunk, sizeof chunk, &got, nullptr)) {
            code = ::GetLastError();
            break;
        }
        if (got == 0) break;
        data.append(chunk, got);
    }
    ::CloseHandle(file);
    if (code != 0) return Fail(error, code);
    bytes = std::move(data);
    return true;
}
