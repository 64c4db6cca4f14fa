// The operating system's socket handle, for the few places that hand sockets to the system.
#pragma once

#include <cstdint>

#ifdef _WIN32
using TSocketHandle = std::uintptr_t;  // SOCKET
inline constexpr TSocketHandle kNoSocket = ~TSocketHandle(0);
#else
using TSocketHandle = int;
inline constexpr TSocketHandle kNoSocket = -1;
#endif
