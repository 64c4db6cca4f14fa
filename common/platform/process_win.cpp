#include <windows.h>

#include <algorithm>
#include <bit>
#include <cstdint>

#include "common/platform/process.h"

int UsableCoreCount() {
    DWORD_PTR process = 0, system = 0;
    if (::GetProcessAffinityMask(::GetCurrentProcess(), &process, &system) && process != 0)
        return std::popcount(static_cast<std::uint64_t>(process));
    SYSTEM_INFO info;
    ::GetSystemInfo(&info);
    return std::max(1, static_cast<int>(info.dwNumberOfProcessors));
}

void RaiseOpenFileLimit() {}
