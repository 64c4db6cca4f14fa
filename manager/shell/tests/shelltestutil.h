// Search records and local interfaces for the tests of the device list core.
#pragma once

#include <cstring>
#include <string>

#include "common/ipv4parse.h"
#include "manager/access/devicerecord.h"
#include "manager/access/localinterfaces.h"
#include "manager/shell/devicelist.h"

// What a terminal reports, as texts; the record puts them at their offsets.
struct TTerminal {
    std::string mac = "0.26.43.60.77.94";
    std::string ip = "127.0.9.1";
    std::string account = "1001";
    std::string displayName = "Gate";
    std::string model = "SIP-520";
    std::string firmware = "V2.6.1";
    std::string interfaceAddress = "127.0.0.1";
    std::string mask = "255.0.0.0";
    std::string gateway = "127.0.0.254";
    std::string dns1 = "127.0.0.53";
    std::string dns2 = "127.0.0.54";
};

inline void PutAddress(TDeviceRecord& r, std::size_t offset, const std::string& text) {
    const TIpBytes b = TextToIpField(text);
    std::memcpy(r.bytes + offset, b.data(), 4);
}

inline TDeviceRecord MakeRecord(const TTerminal& t) {
    TDeviceRecord r{};
    const TMacBytes mac = TextToMac(t.mac);
    std::memcpy(r.bytes + devrec::kMac, mac.data(), 6);
    PutAddress(r, devrec::kIp, t.ip);
    PutAddress(r, devrec::kMask, t.mask);
    PutAddress(r, devrec::kGateway, t.gateway);
    PutAddress(r, devrec::kDns1, t.dns1);
    PutAddress(r, devrec::kDns2, t.dns2);
    PutAddress(r, devrec::kInterface, t.interfaceAddress);
    StrToFixed(t.firmware, r.bytes + devrec::kFirmware, devrec::kFirmwareWidth);
    StrToFixed(t.model, r.bytes + devrec::kModel, devrec::kModelWidth);
    StrToFixed(t.account, r.bytes + devrec::kAccount, devrec::kAccountWidth);
    StrToFixed(t.displayName, r.bytes + devrec::kDisplayName, devrec::kDisplayNameWidth);
    return r;
}

// The host has one interface, 127.0.0.1/8: terminals on 127.x are local, any other is not.
inline void UseLoopbackInterfaceOnly() {
    SetLocalInterfaces({{InetAddrNetworkOrder("127.0.0.1"), InetAddrNetworkOrder("255.0.0.0")}});
}

// A row as a file or the user would give it.
inline TDeviceRow MakeRow(const std::string& mac, const std::string& ip,
                          const std::string& location, const std::string& state = "Offline") {
    TDeviceRow row;
    row.state = state;
    row.columns[kColAccount] = "old-account";
    row.columns[kColDisplayName] = "old-name";
    row.columns[kColIp] = ip;
    row.columns[kColMac] = mac;
    row.columns[kColModel] = "old-model";
    row.columns[kColFirmware] = "V1.0";
    row.columns[kColInterface] = "";
    row.columns[kColLocation] = location;
    return row;
}
