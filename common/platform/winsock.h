// Winsock 2 for the Windows side of the platform layer: the headers, and the one start-up call
// every socket needs first.
#pragma once

#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstdint>

// Starts Winsock once per process; later calls only return. False when it cannot start.
bool StartWinsock();

// An IPv4 socket address from a host-order address and port.
sockaddr_in WinsockAddress(std::uint32_t address, std::uint16_t port);
