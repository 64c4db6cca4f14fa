// Shared libraries through LoadLibrary.
#include <windows.h>

#include "common/platform/dynlib.h"
#include "common/platform/wintext.h"

std::string SharedLibraryFileName(const std::string& name) {
    return name + ".dll";
}

void* OpenSharedLibrary(const std::string& path, std::string* error) {
    std::wstring wide = WideFromUtf8(path);
    // A path given with its folder: the library's own dependencies are looked for beside it
    // (which wants backslashes).
    const bool hasFolder = path.find_first_of("/\\") != std::string::npos;
    for (wchar_t& c : wide)
        if (c == L'/') c = L'\\';
    HMODULE library =
        ::LoadLibraryExW(wide.c_str(), nullptr, hasFolder ? LOAD_WITH_ALTERED_SEARCH_PATH : 0);
    if (!library && error) *error = path + ": " + WindowsErrorText(::GetLastError());
    return reinterpret_cast<void*>(library);
}

void* SharedLibrarySymbol(void* library, const char* name) {
    return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(library), name));
}

void CloseSharedLibrary(void* library) {
    ::FreeLibrary(static_cast<HMODULE>(library));
}
