#include "manager/access/localinterfaces.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netinet/in.h>

#include <memory>
#include <mutex>

#include "manager/access/addresstext.h"

namespace {

// The list is replaced as a whole and readers keep the snapshot they took, so a reader on
// another thread never sees a list being rebuilt.
std::mutex g_mutex;
std::shared_ptr<const std::vector<TLocalInterface>> g_list =
    std::make_shared<const std::vector<TLocalInterface>>();

std::shared_ptr<const std::vector<TLocalInterface>> Snapshot() {
    std::lock_guard lock(g_mutex);
    return g_list;
}

std::uint32_t Ipv4Of(const sockaddr* address) {
    return reinterpret_cast<const sockaddr_in*>(address)->sin_addr.s_addr;
}

}  // namespace

void ReadLocalInterfaces() {
    std::vector<TLocalInterface> list;
    ifaddrs* all = nullptr;
    if (getifaddrs(&all) == 0) {
        for (const ifaddrs* i = all; i != nullptr; i = i->ifa_next) {
            if (i->ifa_addr == nullptr || i->ifa_addr->sa_family != AF_INET) continue;
            // Without a netmask only the address itself counts as local.
            std::uint32_t mask = i->ifa_netmask ? Ipv4Of(i->ifa_netmask) : 0xFFFFFFFFu;
            list.push_back({Ipv4Of(i->ifa_addr), mask});
        }
        freeifaddrs(all);
    }
    SetLocalInterfaces(std::move(list));
}

void SetLocalInterfaces(std::vector<TLocalInterface> interfaces) {
    auto list = std::make_shared<const std::vector<TLocalInterface>>(std::move(interfaces));
    std::lock_guard lock(g_mutex);
    g_list = std::move(list);
}

std::vector<TLocalInterface> LocalInterfaces() {
    return *Snapshot();
}

bool IsLocalSubnet(std::string_view addressText) {
    // inet_addr reads a zero-terminated text; one with a zero byte inside is not an address.
    std::string text(addressText);
    std::uint32_t address =
        text.find('\0') == std::string::npos ? inet_addr(text.c_str()) : INADDR_NONE;
    const auto interfaces = Snapshot();  // held here: the range must outlive the loop
    for (const TLocalInterface& entry : *interfaces) {
        if ((entry.address & entry.netmask) == (address & entry.netmask)) return true;
    }
    return false;
}

int GetLocalAddresses(std::vector<std::string>& list) {
    list.clear();
    const auto interfaces = Snapshot();
    for (const TLocalInterface& entry : *interfaces) {
        std::string text = IpToText(reinterpret_cast<const std::uint8_t*>(&entry.address));
        if (text == "127.0.0.1") continue;
        list.push_back(std::move(text));
    }
    return static_cast<int>(list.size());
}
