#include "manager/hostdl/hostentries.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>

#include "common/ipv4parse.h"
#include "common/textutil.h"
#include "manager/access/addresstext.h"

namespace {

void PutText(THostEntry& entry, THostEntryField field, std::string_view text) {
    StrToFixed(text, entry.data() + field.offset, field.width);
}

// A decimal integer, as a whole text, kept in 16 bits; 0 for anything else.
std::uint16_t PortValue(std::string_view text) {
    long long value = 0;
    const char* begin = text.data();
    if (!text.empty() && text.front() == '+') ++begin;
    const auto [end, ec] = std::from_chars(begin, text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || begin == end) return 0;
    return static_cast<std::uint16_t>(value);
}

}  // namespace

THostEntry DeviceEntry(std::string_view account, std::string_view name) {
    THostEntry entry(hostentry::kDeviceSize, 0);
    PutText(entry, hostentry::kDeviceAccount, account);
    PutText(entry, hostentry::kDeviceName, name);
    return entry;
}

THostEntry GroupEntry(int number, std::string_view name) {
    THostEntry entry(hostentry::kGroupSize, 0);
    PutText(entry, hostentry::kGroupNumber, std::to_string(number));
    PutText(entry, hostentry::kGroupName, name);
    return entry;
}

THostEntry GroupDeviceEntry(int groupNumber, std::string_view account) {
    THostEntry entry(hostentry::kGroupDeviceSize, 0);
    PutText(entry, hostentry::kGroupDeviceGroup, std::to_string(groupNumber));
    PutText(entry, hostentry::kGroupDeviceAccount, account);
    return entry;
}

THostEntry ZoneEntry(std::string_view number, std::string_view name,
                     const std::array<std::uint8_t, 4>& address, std::uint16_t port) {
    THostEntry entry(hostentry::kZoneSize, 0);
    PutText(entry, hostentry::kZoneNumber, number);
    PutText(entry, hostentry::kZoneName, name);
    std::copy(address.begin(), address.end(), entry.begin() + hostentry::kZoneAddress.offset);
    entry[hostentry::kZonePort.offset] = static_cast<std::uint8_t>(port);
    entry[hostentry::kZonePort.offset + 1] = static_cast<std::uint8_t>(port >> 8);
    return entry;
}

std::string EntryText(std::span<const std::uint8_t> entry, THostEntryField field) {
    if (entry.size() < field.offset + field.width) return {};
    return FixedToStr(entry.data() + field.offset, field.width);
}

TDownloadEntries BuildContactEntries(std::span<const TContactRow> rows) {
    TDownloadEntries out;
    std::vector<std::string> groups;  // lower-cased, in order of first appearance
    for (const TContactRow& row : rows) {
        const std::string_view account = TrimBlanks(row.account);
        const std::string_view name = TrimBlanks(row.name);
        const std::string_view group = TrimBlanks(row.group);
        if (account.empty()) continue;
        if (!name.empty()) out.devices.push_back(DeviceEntry(account, name));
        if (!group.empty()) {
            const std::string key = LowerAscii(group);
            auto it = std::find(groups.begin(), groups.end(), key);
            if (it == groups.end()) {
                groups.push_back(key);
                out.groups.push_back(GroupEntry(static_cast<int>(groups.size()), group));
                it = groups.end() - 1;
            }
            out.groupDevices.push_back(
                GroupDeviceEntry(static_cast<int>(it - groups.begin()) + 1, account));
        }
        if (out.devices.size() >= kMaxDeviceEntries) break;
    }
    return out;
}

TDownloadEntries BuildZoneEntries(std::span<const TZoneRow> rows) {
    TDownloadEntries out;
    for (const TZoneRow& row : rows) {
        const std::string_view number = TrimBlanks(row.number);
        const std::string_view name = TrimBlanks(row.name);
        if (number.empty() || name.empty()) continue;
        out.zones.push_back(ZoneEntry(number, name,
                                      InetAddrOctets(std::string(TrimBlanks(row.address))),
                                      PortValue(TrimBlanks(row.port))));
        if (out.zones.size() >= kMaxZoneEntries) break;
    }
    return out;
}

int DownloadProgressTotal(EDownloadKind kind, const TDownloadEntries& entries) {
    auto parts = [](const std::vector<THostEntry>& list) {
        return static_cast<int>(list.size() + list.size() / kHostMaxBatch);
    };
    if (kind == EDownloadKind::Zones) return parts(entries.zones) + 4;
    return parts(entries.devices) + parts(entries.groups) + parts(entries.groupDevices) + 8;
}
