// The host's IPv4 interfaces, read once at program start.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct TLocalInterface {
    std::uint32_t address;  // network order
    std::uint32_t netmask;  // network order
};

// Reads the interface list from the operating system (loopback included). On failure the list
// is empty. Called once at start; later calls read it again.
void ReadLocalInterfaces();

// Replaces the list (tests).
void SetLocalInterfaces(std::vector<TLocalInterface> interfaces);

// A copy of the list: safe to call from any thread, also while the list is replaced.
std::vector<TLocalInterface> LocalInterfaces();

// Yes when the address lies in the subnet of any interface of the list.
bool IsLocalSubnet(std::string_view addressText);

// Clears list and appends the dotted address of every interface except 127.0.0.1, in list order;
// returns the number appended.
int GetLocalAddresses(std::vector<std::string>& list);
