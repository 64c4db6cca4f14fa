// Table entries byte for byte, and the entry lists that the pages' rows give.
#include "manager/hostdl/hostentries.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::uint8_t> Bytes(std::initializer_list<std::pair<std::size_t, std::string_view>> at,
                                std::size_t size) {
    std::vector<std::uint8_t> bytes(size, 0);
    for (const auto& [offset, text] : at)
        std::copy(text.begin(), text.end(), bytes.begin() + static_cast<std::ptrdiff_t>(offset));
    return bytes;
}

TEST(HostEntries, LayoutsByteForByte) {
    // Zone 1 named Hall, 239.1.1.1, port 5000.
    EXPECT_EQ(ZoneEntry("1", "Hall", {239, 1, 1, 1}, 5000),
              Bytes({{0, "1"}, {16, "Hall"}, {48, "\xef\x01\x01\x01\x88\x13"}}, 64));
    EXPECT_EQ(DeviceEntry("8001", "Lobby"), Bytes({{0, "8001"}, {16, "Lobby"}}, 64));
    EXPECT_EQ(GroupEntry(12, "Floor1"), Bytes({{0, "12"}, {16, "Floor1"}}, 64));
    EXPECT_EQ(GroupDeviceEntry(2, "8001"), Bytes({{0, "2"}, {16, "8001"}}, 32));
    // Texts are cut to width - 1 bytes of the device code page, never inside a character.
    const THostEntry longer = DeviceEntry("12345678901234567890", "大厅大厅大厅大厅大厅大厅");
    EXPECT_EQ(EntryText(longer, hostentry::kDeviceAccount), "123456789012345");
    EXPECT_EQ(longer[15], 0);
    EXPECT_EQ(EntryText(longer, hostentry::kDeviceName), "大厅大厅大厅大厅大厅大厅");
    const THostEntry cut = DeviceEntry("1", std::string(40, 'x') + "大");
    EXPECT_EQ(EntryText(cut, hostentry::kDeviceName), std::string(31, 'x'));
}

struct TContactView {
    std::vector<std::string> devices, groups, groupDevices;
    bool operator==(const TContactView&) const = default;
};

TContactView View(const TDownloadEntries& e) {
    TContactView v;
    for (const auto& d : e.devices)
        v.devices.push_back(EntryText(d, hostentry::kDeviceAccount) + "=" +
                            EntryText(d, hostentry::kDeviceName));
    for (const auto& g : e.groups)
        v.groups.push_back(EntryText(g, hostentry::kGroupNumber) + "=" +
                           EntryText(g, hostentry::kGroupName));
    for (const auto& gd : e.groupDevices)
        v.groupDevices.push_back(EntryText(gd, hostentry::kGroupDeviceGroup) + "=" +
                                 EntryText(gd, hostentry::kGroupDeviceAccount));
    return v;
}

TEST(HostEntries, ContactRowsGiveDevicesGroupsAndMembers) {
    const std::vector<TContactRow> rows = {
        {" 8001 ", " Lobby ", " Floor1 "},
        {"8002", "", "floor1"},    // no name: no device entry
        {"", "Nobody", "Floor9"},  // no account: skipped
        {"8003", "Gate", ""},      // no group: no member entry
        {"8004", "Hall", "Floor2"},
        {"8005", "Desk", "FLOOR1"},
    };
    const TContactView expected{{"8001=Lobby", "8003=Gate", "8004=Hall", "8005=Desk"},
                                {"1=Floor1", "2=Floor2"},
                                {"1=8001", "1=8002", "2=8004", "1=8005"}};
    EXPECT_EQ(View(BuildContactEntries(rows)), expected);
    EXPECT_EQ(View(BuildContactEntries({})), TContactView{});
}

TEST(HostEntries, ListsStopAtTheirLimits) {
    std::vector<TContactRow> contacts;
    for (int i = 0; i < 1200; ++i)
        contacts.push_back({std::to_string(10000 + i), "n", "g" + std::to_string(i)});
    const TDownloadEntries c = BuildContactEntries(contacts);
    EXPECT_EQ(c.devices.size(), 999u);
    EXPECT_EQ(c.groups.size(), 999u);
    EXPECT_EQ(c.groupDevices.size(), 999u);
    EXPECT_EQ(EntryText(c.devices.back(), hostentry::kDeviceAccount), "10998");

    std::vector<TZoneRow> zones;
    for (int i = 1; i <= 120; ++i)
        zones.push_back({std::to_string(i), "z", "239.0.0.1", "5000"});
    const TDownloadEntries z = BuildZoneEntries(zones);
    ASSERT_EQ(z.zones.size(), 99u);
    EXPECT_EQ(EntryText(z.zones.back(), hostentry::kZoneNumber), "99");
}

TEST(HostEntries, ZoneRowsFollowAddressAndPortRules) {
    const struct {
        TZoneRow row;
        const char *number, *name;
        std::array<std::uint8_t, 4> address;
        std::uint16_t port;
    } cases[] = {
        {{"1", "Hall", "239.1.1.1", "5000"}, "1", "Hall", {239, 1, 1, 1}, 5000},
        {{" 2 ", " Yard ", " 239.1.1.2 ", " 6000 "}, "2", "Yard", {239, 1, 1, 2}, 6000},
        {{"3", "Bad", "no address", "x"}, "3", "Bad", {255, 255, 255, 255}, 0},
        {{"4", "Short", "10.1", "70000"}, "4", "Short", {10, 0, 0, 1}, 4464},
        {{"5", "Empty", "", ""}, "5", "Empty", {255, 255, 255, 255}, 0},
    };
    for (const auto& c : cases) {
        const TDownloadEntries e = BuildZoneEntries(std::vector<TZoneRow>{c.row});
        ASSERT_EQ(e.zones.size(), 1u) << c.name;
        EXPECT_EQ(e.zones[0], ZoneEntry(c.number, c.name, c.address, c.port)) << c.name;
    }
    EXPECT_TRUE(BuildZoneEntries(std::vector<TZoneRow>{{"", "Hall", "239.1.1.1", "1"},
                                                       {"6", " ", "239.1.1.1", "1"}})
                    .zones.empty());
}

TEST(HostEntries, ProgressTotals) {
    TDownloadEntries e;
    e.devices.resize(40);
    e.groups.resize(2);
    e.groupDevices.resize(17);
    EXPECT_EQ(DownloadProgressTotal(EDownloadKind::Contacts, e), 40 + 2 + 17 + 2 + 0 + 1 + 8);
    e.zones.resize(33);
    EXPECT_EQ(DownloadProgressTotal(EDownloadKind::Zones, e), 33 + 2 + 4);
    EXPECT_EQ(DownloadProgressTotal(EDownloadKind::Zones, {}), 4);
}

}  // namespace
