// The entries of a terminal's host tables and the entry lists of a download, built from the rows
// of the address-book pages.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "manager/hostdl/hostpacket.h"

// One field of an entry: text fields hold at most width - 1 bytes and a zero byte.
struct THostEntryField {
    std::size_t offset;
    std::size_t width;
};

namespace hostentry {
inline constexpr std::size_t kDeviceSize = 64;
inline constexpr THostEntryField kDeviceAccount{0, 16};
inline constexpr THostEntryField kDeviceName{16, 32};
inline constexpr THostEntryField kDeviceAddress{48, 4};  // always 0
inline constexpr std::size_t kGroupSize = 64;
inline constexpr THostEntryField kGroupNumber{0, 16};
inline constexpr THostEntryField kGroupName{16, 32};
inline constexpr std::size_t kGroupDeviceSize = 32;
inline constexpr THostEntryField kGroupDeviceGroup{0, 16};
inline constexpr THostEntryField kGroupDeviceAccount{16, 16};
inline constexpr std::size_t kZoneSize = 64;
inline constexpr THostEntryField kZoneNumber{0, 16};
inline constexpr THostEntryField kZoneName{16, 32};
inline constexpr THostEntryField kZoneAddress{48, 4};  // octets in network order
inline constexpr THostEntryField kZonePort{52, 2};     // little-endian
}  // namespace hostentry

// Texts are UTF-8 here and device code page bytes in the entry.
THostEntry DeviceEntry(std::string_view account, std::string_view name);
THostEntry GroupEntry(int number, std::string_view name);
THostEntry GroupDeviceEntry(int groupNumber, std::string_view account);
THostEntry ZoneEntry(std::string_view number, std::string_view name,
                     const std::array<std::uint8_t, 4>& address, std::uint16_t port);

// A text field of an entry, decoded to UTF-8 (tests and the simulator read tables back).
std::string EntryText(std::span<const std::uint8_t> entry, THostEntryField field);

// The texts of one row of the contact page and of the zone page.
struct TContactRow {
    std::string account, name, group;
};
struct TZoneRow {
    std::string number, name, address, port;
};

inline constexpr std::size_t kMaxDeviceEntries = 999;
inline constexpr std::size_t kMaxZoneEntries = 99;

// The entry lists of a job; the contact job uses the first three, the zone job the last.
struct TDownloadEntries {
    std::vector<THostEntry> devices, groups, groupDevices, zones;
};

enum class EDownloadKind { Contacts, Zones };

// Rows in page order, trimmed: a row without account is skipped; a display name gives a device
// entry; a group name new to the job (letter case aside) gives a group entry numbered by its
// position; a row with a group gives a group-device entry. Rows stop at 999 device entries.
TDownloadEntries BuildContactEntries(std::span<const TContactRow> rows);
// Rows with a zone number and a name give zone entries, at most 99. The address follows the
// inet_addr rules (a text that is no address gives 255.255.255.255); the port is the decimal
// number kept in 16 bits, 0 when the text is no number.
TDownloadEntries BuildZoneEntries(std::span<const TZoneRow> rows);

// The parts of the progress bar of a job: D + G + GD + D/16 + G/16 + GD/16 + 8 for contacts,
// Z + Z/16 + 4 for zones.
int DownloadProgressTotal(EDownloadKind kind, const TDownloadEntries& entries);
