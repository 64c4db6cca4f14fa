#include "manager/params/paramchecks.h"

#include "common/textutil.h"
#include "common/translation.h"
#include "manager/access/addresstext.h"

namespace {

struct TBoxCheck {
    std::string_view field;
    int keyWord;
    std::string_view defaultText;
};

constexpr TBoxCheck kIp{"ip", 1, "IP地址为空或不正确，请查正"};
constexpr TBoxCheck kMask{"mask", 2, "子网掩码为空或不正确，请查正！"};
constexpr TBoxCheck kGateway{"gateway", 3, "网关地址为空或不正确，请查正！"};
constexpr TBoxCheck kDns1{"dns1", 4, "首选DNS不正确，请查正！"};
constexpr TBoxCheck kDns2{"dns2", 5, "备选DNS不正确，请查正！"};
constexpr TBoxCheck kTimeServer1{"time_server1", 12, "时区服务器地址不正确，请查正！"};
constexpr TBoxCheck kTimeServer2{"time_server2", 12, "时区服务器地址不正确，请查正！"};
constexpr TBoxCheck kExtended[] = {
    {"uart_ctrl.target_ip", 6, "目标IP地址不正确，请查正！"},
    {"uart_data.target_ip", 7, "远端IP地址不正确，请查正！"},
    {"event_server", 13, "IP地址不正确，请查正！"},
};

TCheckFailure Failure(const TBoxCheck& check) {
    return {std::string(check.field), check.keyWord, std::string(check.defaultText)};
}

// A box that must hold an address (an empty one fails).
bool Required(std::string_view text) {
    return IsValidIPLenient(TrimBlanks(text));
}
// A box that may stay empty.
bool Optional(std::string_view text) {
    text = TrimBlanks(text);
    return text.empty() || IsValidIPLenient(text);
}

}  // namespace

std::string PropertyMessageKey(int keyWord) {
    return MessageKey("FrmProperty", keyWord);
}

std::optional<TCheckFailure> CheckNetworkInput(const TNetworkInput& input) {
    if (!input.dhcp) {
        if (!Required(input.ip)) return Failure(kIp);
        if (!Required(input.mask)) return Failure(kMask);
        if (!Required(input.gateway)) return Failure(kGateway);
    }
    if (!Optional(input.dns1)) return Failure(kDns1);
    if (!Optional(input.dns2)) return Failure(kDns2);
    return std::nullopt;
}

std::optional<TCheckFailure> CheckTimeServers(std::string_view server1, std::string_view server2) {
    if (!Optional(server1)) return Failure(kTimeServer1);
    if (!Optional(server2)) return Failure(kTimeServer2);
    return std::nullopt;
}

std::optional<TCheckFailure> CheckExtendedAddress(std::string_view field, std::string_view text) {
    for (const TBoxCheck& check : kExtended)
        if (check.field == field && !Optional(text)) return Failure(check);
    return std::nullopt;
}
