#include <windows.h>
// after windows.h
#include <shellapi.h>

#include <cstdlib>
#include <vector>

#include "common/platform/executable.h"
#include "common/platform/wintext.h"

std::string ExecutableFolder() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) {
            std::wstring path(buffer.data(), length);
            const std::size_t slash = path.find_last_of(L"\\/");
            return Utf8FromWide(slash == std::wstring::npos ? std::wstring()
                                                            : path.substr(0, slash));
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    ::SetConsoleOutputCP(CP_UTF8);
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!wide) return std::vector<std::string>(argv + 1, argv + argc);
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i)
        args.push_back(Utf8FromWide(wide[i]));
    ::LocalFree(wide);
    return args;
}

std::string UserDataFolder() {
    const wchar_t* local = _wgetenv(L"LOCALAPPDATA");
    if (local && *local) return Utf8FromWide(local);
    const wchar_t* profile = _wgetenv(L"USERPROFILE");
    return profile && *profile ? Utf8FromWide(profile) + "\\AppData\\Local" : std::string(".");
}
