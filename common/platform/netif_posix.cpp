#include <ifaddrs.h>
#include <netinet/in.h>

#include "common/platform/netif.h"

namespace {
std::uint32_t Ipv4Of(const sockaddr* address) {
    return reinterpret_cast<const sockaddr_in*>(address)->sin_addr.s_addr;
}
}  // namespace

std::vector<TIpv4Interface> ReadIpv4Interfaces() {
    std::vector<TIpv4Interface> list;
    ifaddrs* all = nullptr;
    if (getifaddrs(&all) != 0) return list;
    for (const ifaddrs* i = all; i != nullptr; i = i->ifa_next) {
        if (i->ifa_addr == nullptr || i->ifa_addr->sa_family != AF_INET) continue;
        // Without a netmask only the address itself counts as local.
        std::uint32_t mask = i->ifa_netmask ? Ipv4Of(i->ifa_netmask) : 0xFFFFFFFFu;
        list.push_back({Ipv4Of(i->ifa_addr), mask});
    }
    freeifaddrs(all);
    return list;
}
