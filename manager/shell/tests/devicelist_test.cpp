// Rows of the device list: device texts, sorting, column fitting, status icons and model names.
#include "manager/shell/devicelist.h"

#include <gtest/gtest.h>

#include "manager/shell/tests/shelltestutil.h"

namespace {

std::vector<std::string> ColumnTexts(const TDeviceList& list, int column) {
    std::vector<std::string> texts;
    for (const auto& row : list.Rows())
        texts.push_back(row.Text(column));
    return texts;
}

TEST(DeviceListTest, DeviceTextUpdatesEveryRowWithItsMac) {
    UseLoopbackInterfaceOnly();
    TDeviceList list;
    TDeviceRow first = MakeRow("0.26.43.60.77.94", "127.0.9.1", "Books");
    first.columns[kColInterface] = "127.0.0.1";
    first.netInfo = TRowNetInfo{{255, 0, 0, 0}, {}, {}, {}};
    list.AppendRow(first);
    list.AppendRow(MakeRow("1.2.3.4.5.6", "127.0.9.2", "LocalNetwork"));
    list.AppendRow(MakeRow("0.26.43.60.77.94", "127.0.9.3", "LocalNetwork", "Online"));

    const TDeviceText text{"2001",  "Lobby", "10.0.0.7", "0.26.43.60.77.94",
                           "SIP-X", "V3.0",  "9.9.9.9"};
    EXPECT_EQ(list.MergeDeviceText(text), 2u);
    ASSERT_EQ(list.RowCount(), 3u);
    for (std::size_t i : {0u, 2u}) {
        const TDeviceRow& row = list.Row(i);
        EXPECT_EQ(row.columns[kColAccount], "2001");
        EXPECT_EQ(row.columns[kColDisplayName], "Lobby");
        EXPECT_EQ(row.columns[kColIp], "10.0.0.7");
        EXPECT_EQ(row.columns[kColModel], "SIP-X");
        EXPECT_EQ(row.columns[kColFirmware], "V3.0");
        EXPECT_EQ(row.icon, kIconRemote);
    }
    // Network interface, location, state and network record stay.
    EXPECT_EQ(list.Row(0).columns[kColInterface], "127.0.0.1");
    EXPECT_EQ(list.Row(0).columns[kColLocation], "Books");
    EXPECT_EQ(list.Row(0).state, "Offline");
    EXPECT_TRUE(list.Row(0).netInfo);
    EXPECT_EQ(list.Row(2).state, "Online");
    EXPECT_EQ(list.Row(1).columns[kColAccount], "old-account");
}

TEST(DeviceListTest, DeviceTextForANewMacAppendsAnOnlineRow) {
    UseLoopbackInterfaceOnly();
    TDeviceList list;
    list.AppendRow(MakeRow("1.2.3.4.5.6", "127.0.9.2", "Books"));
    const TDeviceText text{"", "Lobby", "127.0.9.8", "8.8.8.8.8.8", "SIP-X", "V3.0", "127.0.0.1"};
    EXPECT_EQ(list.MergeDeviceText(text), 1u);
    ASSERT_EQ(list.RowCount(), 2u);
    const TDeviceRow& row = list.Row(1);
    EXPECT_EQ(row.state, "Online");
    EXPECT_EQ(row.columns,
              (std::array<std::string, 8>{"", "Lobby", "127.0.9.8", "8.8.8.8.8.8", "SIP-X", "V3.0",
                                          "127.0.0.1", "LocalNetwork"}));
    EXPECT_EQ(row.icon, kIconLocalPartial);
    EXPECT_FALSE(row.netInfo);
    // The MAC index follows: a second text for the same MAC updates the new row.
    EXPECT_EQ(list.MergeDeviceText({"3", "Lobby", "127.0.9.8", "8.8.8.8.8.8", "", "", ""}), 1u);
    EXPECT_EQ(list.RowCount(), 2u);
}

TEST(DeviceListTest, MacIndexFollowsEditsRemovalsAndSorting) {
    TDeviceList list;
    list.AppendRow(MakeRow("1.1.1.1.1.1", "127.0.0.3", "Books"));
    list.AppendRow(MakeRow("2.2.2.2.2.2", "127.0.0.2", "Books"));
    list.AppendRow(MakeRow("3.3.3.3.3.3", "127.0.0.1", "Books"));
    EXPECT_EQ(list.RowsWithMac("3.3.3.3.3.3"), (std::vector<std::size_t>{2}));
    list.RemoveRow(0);
    EXPECT_EQ(list.RowsWithMac("3.3.3.3.3.3"), (std::vector<std::size_t>{1}));
    list.EditRow(0, [](TDeviceRow& r) { r.columns[kColMac] = "3.3.3.3.3.3"; });
    EXPECT_EQ(list.RowsWithMac("3.3.3.3.3.3"), (std::vector<std::size_t>{0, 1}));
    EXPECT_TRUE(list.RowsWithMac("2.2.2.2.2.2").empty());
    list.SortByColumn(kColIp);
    EXPECT_EQ(ColumnTexts(list, kColIp), (std::vector<std::string>{"127.0.0.1", "127.0.0.2"}));
    EXPECT_EQ(list.RowsWithMac("3.3.3.3.3.3"), (std::vector<std::size_t>{0, 1}));
    list.Clear();
    EXPECT_TRUE(list.RowsWithMac("3.3.3.3.3.3").empty());
}

TEST(DeviceListTest, SortingOrdersNumbersByValueAndTextsWithoutCase) {
    struct Case {
        const char* name;
        int column;
        std::vector<std::string> texts, sorted;
    };
    const std::vector<Case> cases = {
        {"numbers", kColAccount, {"1001", "999", "20"}, {"20", "999", "1001"}},
        {"state", kStateColumn, {"Online", "Offline", "Online"}, {"Offline", "Online", "Online"}},
        {"mixed", kColAccount, {"b", "1001", "A", "20", ""}, {"", "20", "1001", "A", "b"}},
        {"blanks", kColDisplayName, {" 30", "4 ", "x"}, {"4 ", " 30", "x"}},
        {"signs", kColAccount, {"5", "-7", "+6", "-0"}, {"-7", "-0", "5", "+6"}},
        {"overflowing",
         kColAccount,
         {"100000000000000000000000", "99999999999999999999", "5", "0000000000000000000000012"},
         {"5", "0000000000000000000000012", "99999999999999999999", "100000000000000000000000"}},
        // Equal texts keep their order: sorting twice gives the same list.
        {"stable", kColModel, {"sip", "SIP", "Sip"}, {"sip", "SIP", "Sip"}},
        {"bytes above 127",
         kColDisplayName,
         {"\xE9\x97\xA8", "zz", "Z"},
         {"Z", "zz", "\xE9\x97\xA8"}},
        // The device code page's bytes (GBK: pinyin order), not code points: 张 (U+5F20, D5C5)
        // after 阿 (U+963F, B0A2), 李 (C0EE) and 王 (CDF5).
        {"gbk", kColDisplayName, {"张", "李", "王", "阿"}, {"阿", "李", "王", "张"}},
    };
    for (const Case& c : cases) {
        TDeviceList list;
        for (const auto& text : c.texts) {
            TDeviceRow row;
            if (c.column == kStateColumn)
                row.state = text;
            else
                row.columns[static_cast<std::size_t>(c.column)] = text;
            list.AppendRow(row);
        }
        list.SortByColumn(c.column);
        EXPECT_EQ(ColumnTexts(list, c.column), c.sorted) << c.name;
        list.SortByColumn(c.column);
        EXPECT_EQ(ColumnTexts(list, c.column), c.sorted) << c.name << " again";
    }
}

TEST(DeviceListTest, SortingTextsWithoutAConsistentOrderStaysSafe) {
    // 9 < 10 by value, 10 < 1a and 1a < 9 by text: no order satisfies all three.
    TDeviceList list;
    std::vector<std::string> texts;
    for (int i = 0; i < 300; ++i)
        texts.push_back(i % 3 == 0 ? "10" : i % 3 == 1 ? "1a" : "9");
    for (const auto& t : texts) {
        TDeviceRow row;
        row.columns[kColAccount] = t;
        list.AppendRow(row);
    }
    list.SortByColumn(kColAccount);
    auto sorted = ColumnTexts(list, kColAccount);
    std::sort(texts.begin(), texts.end());
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, texts);  // every row still there exactly once
}

TEST(DeviceListTest, CellComparison) {
    struct Case {
        const char *a, *b;
        int sign;
    };
    const std::vector<Case> cases = {
        {"20", "999", -1}, {"abc", "ABC", 0}, {"abc", "abd", -1}, {"", "0", -1},
        {"007", "7", 0},   {"-1", "1", -1},   {"1a", "9", -1},    {"Offline", "Online", -1},
        {" 12 ", "12", 0}, {"+", "-", -1},    {"1e3", "2", -1},   {"18446744073709551616", "1", 1},
    };
    for (const Case& c : cases) {
        const int got = CompareCellTexts(c.a, c.b);
        EXPECT_EQ((got > 0) - (got < 0), c.sign) << c.a << " vs " << c.b;
        const int back = CompareCellTexts(c.b, c.a);
        EXPECT_EQ((back > 0) - (back < 0), -c.sign) << c.b << " vs " << c.a;
    }
}

TEST(DeviceListTest, LastColumnFillsTheList) {
    const std::vector<int> widths = {65, 120, 130, 108, 130, 80, 90, 105, 95};
    const int others = 65 + 120 + 130 + 108 + 130 + 80 + 90 + 105 + 8;  // plus 1 per column
    struct Case {
        int listWidth;
        std::vector<int> widths;
        bool scrollBar;
        int expected;
    };
    const std::vector<Case> cases = {
        {1200, widths, false, 1200 - others - 5},
        {1200, widths, true, 1200 - others - (1 + 15)},
        {400, {100, 100, 50}, false, 400 - 202 - 2},
        {400, {100, 100, 50}, true, 400 - 202 - (2 + 18)},
        {1000, {100, 100, 100, 100, 100, 100}, true, 1000 - 505 - (0 + 15)},
        {500, {100, 100, 100, 100, 100, 100}, true, 0},  // never below 0
        {300, {}, false, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FitLastColumnWidth(c.listWidth, c.widths, c.scrollBar), c.expected)
            << c.listWidth << " " << c.widths.size() << " " << c.scrollBar;
}

TEST(DeviceListTest, StatusIconAndModelName) {
    UseLoopbackInterfaceOnly();
    EXPECT_EQ(ChooseStatusIcon("127.1.2.3", "1", "n"), kIconLocalComplete);
    EXPECT_EQ(ChooseStatusIcon("127.1.2.3", "1", ""), kIconLocalPartial);
    EXPECT_EQ(ChooseStatusIcon("192.168.1.2", "1", "n"), kIconRemote);
    EXPECT_EQ(ChooseStatusIcon("", "1", "n"), kIconRemote);
    SetLocalInterfaces({});
    EXPECT_EQ(ChooseStatusIcon("127.1.2.3", "1", "n"), kIconRemote);

    const TModelNaming none;
    const TModelNaming showUnknown{nullptr, true};
    const TModelNaming catalogue{[](const std::string& m) { return m == "SIP-1" ? "One" : ""; },
                                 false};
    struct Case {
        const char* model;
        const TModelNaming& naming;
        const char* shown;
    } cases[] = {
        {"", none, ""},
        {"", showUnknown, ""},
        // Only an empty model stays empty; a blank one is an unknown model.
        {"  ", none, "undefined"},
        {"  ", showUnknown, ""},
        {"SIP-1", none, "undefined"},
        {" SIP-1 ", showUnknown, "SIP-1"},
        {"\tSIP-1", catalogue, "One"},
        {"sip-1", catalogue, "undefined"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ModelDisplayName(c.model, c.naming), c.shown) << '"' << c.model << '"';
}

TEST(DeviceListTest, RowIdsStayWithTheirRows) {
    TDeviceList list;
    list.AppendRows({MakeRow("1.1.1.1.1.1", "127.0.0.2", "Books"),
                     MakeRow("2.2.2.2.2.2", "127.0.0.1", "Books")});
    const std::uint64_t id = list.Row(0).id;
    EXPECT_NE(id, list.Row(1).id);
    list.EditRow(0, [](TDeviceRow& r) { r.id = 12345; });
    EXPECT_EQ(list.Row(0).id, id);
    list.SortByColumn(kColIp);
    EXPECT_EQ(list.FindRow(id, 0), std::optional<std::size_t>(1));
    list.RemoveRow(1);
    EXPECT_EQ(list.FindRow(id, 1), std::nullopt);
}

}  // namespace
