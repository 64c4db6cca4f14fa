// The input checks of the network and maintenance pages, shared by the property editor and
// `pelmora-cli params set`. Messages have the key "Pelmora/Messagedlg/FrmProperty/keyWord<n>".
#pragma once

#include <optional>
#include <string>
#include <string_view>

// A failed check: the field whose box failed, the message number and its default text.
struct TCheckFailure {
    std::string field;  // field name of the block ("ip", "dns1", "time_server2", ...)
    int keyWord = 0;
    std::string defaultText;
};

// "Pelmora/Messagedlg/FrmProperty/keyWord" + n.
std::string PropertyMessageKey(int keyWord);

// The network page's texts as typed (they are trimmed by the check).
struct TNetworkInput {
    bool dhcp = true;  // "obtain an address automatically"
    std::string ip, mask, gateway;
    bool autoDns = true;  // the DNS boxes are checked whatever this is
    std::string dns1, dns2;
};

// With manual addressing the IP address, subnet mask and gateway must pass the lenient address
// test (keyWord1 to 3); a DNS box that is not empty must pass it too (keyWord4, 5). The first
// failing box is answered.
std::optional<TCheckFailure> CheckNetworkInput(const TNetworkInput& input);

// Each time server box that is not empty must pass the lenient address test (keyWord12).
std::optional<TCheckFailure> CheckTimeServers(std::string_view server1, std::string_view server2);

// The address boxes of the serial and event server pages: "uart_ctrl.target_ip" (keyWord6),
// "uart_data.target_ip" (keyWord7) and "event_server" (keyWord13). Empty passes; otherwise the
// trimmed text must pass the lenient address test.
std::optional<TCheckFailure> CheckExtendedAddress(std::string_view field, std::string_view text);
