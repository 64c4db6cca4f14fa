#include "manager/access/localinterfaces.h"

#include <memory>
#include <mutex>

#include "common/ipv4parse.h"
#include "common/platform/netif.h"
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

}  // namespace

void ReadLocalInterfaces() {
    std::vector<TLocalInterface> list;
    for (const TIpv4Interface& entry : ReadIpv4Interfaces())
        list.push_back({entry.address, entry.netmask});
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
    const std::uint32_t address = InetAddrNetworkOrder(addressText);
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
