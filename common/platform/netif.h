// The host's IPv4 interfaces with their netmasks, as the system reports them (loopback
// included), through getifaddrs on Linux and GetAdaptersAddresses on Windows.
#pragma once

#include <cstdint>
#include <vector>

struct TIpv4Interface {
    std::uint32_t address;  // network order
    std::uint32_t netmask;  // network order
};

// Empty when the system cannot be asked.
std::vector<TIpv4Interface> ReadIpv4Interfaces();
