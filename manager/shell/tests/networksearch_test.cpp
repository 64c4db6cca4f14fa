// The search merged into the list, and the per-address check of the Books rows.
#include "manager/shell/networksearch.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

#include "manager/access/testing/mockdeviceaccess.h"
#include "manager/shell/tests/shelltestutil.h"

using ::testing::_;
using ::testing::NiceMock;

namespace {

// Counts the window's pump points and progress steps.
struct TCountingObserver : TSearchObserver {
    int pumps = 0, steps = 0;
    void PumpEvents() override { ++pumps; }
    void Advance() override { ++steps; }
};

// The library's answers: one full search, and the terminals reachable by address.
class SearchTest : public ::testing::Test {
  protected:
    void SetUp() override {
        UseLoopbackInterfaceOnly();
        ON_CALL(access, SearchOne(_, _))
            .WillByDefault([this](const std::string& ip, TDeviceRecord* record) {
                asked.push_back(ip);
                auto it = byAddress.find(ip);
                if (it == byAddress.end()) return -1;
                *record = it->second;
                return 1;
            });
    }

    void ScriptSearch(std::vector<TDeviceRecord> records, std::int32_t result = 1) {
        EXPECT_CALL(access, SearchAll(_, _))
            .WillOnce([records, result, this](TDeviceRecord* out, std::int32_t* count) {
                capacity = *count;
                zeroed = std::all_of(out, out + *count, [](const TDeviceRecord& r) {
                    return std::all_of(r.bytes, r.bytes + sizeof r.bytes,
                                       [](std::uint8_t b) { return b == 0; });
                });
                std::copy(records.begin(), records.end(), out);
                *count = static_cast<std::int32_t>(records.size());
                return result;
            });
    }

    void Search() {
        SearchNetwork(list, access, observer);
        RefreshBooks(list, access, observer);
    }

    NiceMock<MockDeviceAccess> access;
    std::map<std::string, TDeviceRecord> byAddress;
    std::vector<std::string> asked;
    TDeviceList list;
    TCountingObserver observer;
    std::int32_t capacity = 0;
    bool zeroed = false;
};

TEST_F(SearchTest, NewTerminalBecomesOnlineLocalNetworkRow) {
    TTerminal t;
    ScriptSearch({MakeRecord(t)});
    Search();
    EXPECT_EQ(capacity, 1024);
    EXPECT_TRUE(zeroed);
    ASSERT_EQ(list.RowCount(), 1u);
    const TDeviceRow& row = list.Row(0);
    EXPECT_EQ(row.state, "Online");
    EXPECT_EQ(row.columns,
              (std::array<std::string, 8>{"1001", "Gate", "127.0.9.1", "0.26.43.60.77.94",
                                          "undefined", "V2.6.1", "127.0.0.1", "LocalNetwork"}));
    EXPECT_EQ(row.icon, kIconLocalComplete);
    EXPECT_FALSE(row.seen);
    ASSERT_TRUE(row.netInfo);
    EXPECT_EQ(row.netInfo->mask, (TIpBytes{255, 0, 0, 0}));
    EXPECT_EQ(row.netInfo->gateway, (TIpBytes{127, 0, 0, 254}));
    EXPECT_EQ(row.netInfo->dns1, (TIpBytes{127, 0, 0, 53}));
    EXPECT_EQ(row.netInfo->dns2, (TIpBytes{127, 0, 0, 54}));
}

TEST_F(SearchTest, StatusIconFollowsSubnetAndNames) {
    struct Case {
        std::string ip, account, name;
        int icon;
    };
    const std::vector<Case> cases = {
        {"127.0.9.1", "1001", "Gate", kIconLocalComplete},
        {"127.0.9.2", "", "Gate", kIconLocalPartial},
        {"127.0.9.3", "1003", "", kIconLocalPartial},
        {"10.1.2.3", "1004", "Hall", kIconRemote},
    };
    std::vector<TDeviceRecord> records;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        TTerminal t;
        t.mac = "0.0.0.0.0." + std::to_string(i + 1);
        t.ip = cases[i].ip;
        t.account = cases[i].account;
        t.displayName = cases[i].name;
        records.push_back(MakeRecord(t));
    }
    ScriptSearch(records);
    SearchNetwork(list, access, observer);
    ASSERT_EQ(list.RowCount(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(list.Row(i).icon, cases[i].icon) << cases[i].ip;
}

TEST_F(SearchTest, EveryRowWithTheMacIsUpdatedAndNoRowAdded) {
    list.AppendRow(MakeRow("0.26.43.60.77.94", "127.0.9.50", "Books"));
    list.AppendRow(MakeRow("0.26.43.60.77.94", "127.0.9.51", "LocalNetwork", "Online"));
    ScriptSearch({MakeRecord(TTerminal{})});
    SearchNetwork(list, access, observer);
    ASSERT_EQ(list.RowCount(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        const TDeviceRow& row = list.Row(i);
        EXPECT_EQ(row.columns[kColAccount], "1001");
        EXPECT_EQ(row.columns[kColIp], "127.0.9.1");
        EXPECT_EQ(row.columns[kColInterface], "127.0.0.1");
        EXPECT_EQ(row.icon, kIconLocalComplete);
        EXPECT_TRUE(row.netInfo);
    }
    // State and location of matched rows are not the search's to change.
    EXPECT_EQ(list.Row(0).state, "Offline");
    EXPECT_EQ(list.Row(0).columns[kColLocation], "Books");
    EXPECT_EQ(list.Row(1).columns[kColLocation], "LocalNetwork");
}

TEST_F(SearchTest, BooksRowTakesTheNewAddressBeforeItsLookUp) {
    list.AppendRow(MakeRow("0.26.43.60.77.94", "127.0.9.77", "Books"));
    TTerminal moved;
    moved.ip = "127.0.9.5";
    ScriptSearch({MakeRecord(moved)});
    byAddress["127.0.9.5"] = MakeRecord(moved);
    Search();
    EXPECT_EQ(asked, (std::vector<std::string>{"127.0.9.5"}));
    EXPECT_EQ(list.Row(0).state, "Online");
    EXPECT_EQ(list.Row(0).columns[kColIp], "127.0.9.5");
}

TEST_F(SearchTest, OfflineRowFromAFileFoundAgainKeepsItsStateButGetsAnIcon) {
    list.AppendRow(MakeRow("0.26.43.60.77.94", "127.0.9.1", "LocalNetwork", "Offline"));
    ScriptSearch({MakeRecord(TTerminal{})});
    Search();
    ASSERT_EQ(list.RowCount(), 1u);
    EXPECT_EQ(list.Row(0).state, "Offline");
    EXPECT_EQ(list.Row(0).icon, kIconLocalComplete);
}

TEST_F(SearchTest, NonSipTerminalsNeverMakeRowsAndTheirRowsGo) {
    TTerminal camera;
    camera.model = "IPC-200";
    TTerminal cameraInBooks = camera;
    cameraInBooks.mac = "1.1.1.1.1.1";
    list.AppendRow(MakeRow(camera.mac, "127.0.9.1", "LocalNetwork", "Online"));
    list.AppendRow(MakeRow(cameraInBooks.mac, "127.0.9.2", "Books"));
    ScriptSearch({MakeRecord(camera), MakeRecord(cameraInBooks)});
    SearchNetwork(list, access, observer);
    ASSERT_EQ(list.RowCount(), 1u);
    EXPECT_EQ(list.Row(0).columns[kColMac], "1.1.1.1.1.1");
    EXPECT_EQ(list.Row(0).columns[kColAccount], "old-account");
}

TEST_F(SearchTest, UnseenRowsGoExceptBooksAndMarksAreCleared) {
    list.AppendRow(MakeRow("9.9.9.9.9.1", "127.0.9.91", "LocalNetwork", "Online"));
    list.AppendRow(MakeRow("9.9.9.9.9.2", "127.0.9.92", "Books"));
    list.AppendRow(MakeRow("9.9.9.9.9.3", "127.0.9.93", "Other"));
    list.AppendRow(MakeRow("0.26.43.60.77.94", "127.0.9.1", "LocalNetwork", "Online"));
    ScriptSearch({MakeRecord(TTerminal{})});
    SearchNetwork(list, access, observer);
    ASSERT_EQ(list.RowCount(), 2u);
    EXPECT_EQ(list.Row(0).columns[kColMac], "9.9.9.9.9.2");
    EXPECT_EQ(list.Row(1).columns[kColMac], "0.26.43.60.77.94");
    for (const auto& row : list.Rows())
        EXPECT_FALSE(row.seen);
}

TEST_F(SearchTest, FailedSearchChangesNothingButBooksAreStillChecked) {
    list.AppendRow(MakeRow("9.9.9.9.9.1", "127.0.9.91", "LocalNetwork", "Online"));
    list.AppendRow(MakeRow("9.9.9.9.9.2", "127.0.9.92", "Books"));
    ScriptSearch({MakeRecord(TTerminal{})}, -2);
    Search();
    ASSERT_EQ(list.RowCount(), 2u);
    EXPECT_EQ(list.Row(0).columns[kColAccount], "old-account");
    EXPECT_EQ(list.Row(0).state, "Online");
    EXPECT_EQ(asked, (std::vector<std::string>{"127.0.9.92"}));
}

TEST_F(SearchTest, CountOutsideTheBufferIsBounded) {
    for (std::int32_t reported : {-5, 5000}) {
        TDeviceList fresh;
        EXPECT_CALL(access, SearchAll(_, _))
            .WillOnce([reported](TDeviceRecord* out, std::int32_t* count) {
                for (std::int32_t i = 0; i < *count; ++i) {
                    TTerminal t;
                    t.mac = "0.0.0.0." + std::to_string(i / 256) + "." + std::to_string(i % 256);
                    out[i] = MakeRecord(t);
                }
                *count = reported;
                return 1;
            });
        SearchNetwork(fresh, access, observer);
        EXPECT_EQ(fresh.RowCount(), reported < 0 ? 0u : 1024u) << reported;
    }
}

TEST_F(SearchTest, ModelColumnUsesTheCatalogueAndTheSetting) {
    struct Case {
        std::string model;
        bool showUnknown;
        std::string shown;
    };
    const std::vector<Case> cases = {
        {"SIP-520", false, "Door Station 520"}, {"SIP-999", false, "undefined"},
        {"SIP-999", true, "SIP-999"},           {" SIP-520 ", false, "Door Station 520"},
        {"sip-520", false, "undefined"},  // the catalogue is case-sensitive
    };
    for (const Case& c : cases) {
        TDeviceList fresh;
        fresh.SetModelNaming(
            {[](const std::string& m) { return m == "SIP-520" ? "Door Station 520" : ""; },
             c.showUnknown});
        TTerminal t;
        t.model = c.model;
        ScriptSearch({MakeRecord(t)});
        SearchNetwork(fresh, access, observer);
        ASSERT_EQ(fresh.RowCount(), 1u);
        EXPECT_EQ(fresh.Row(0).columns[kColModel], c.shown) << c.model;
    }
}

TEST_F(SearchTest, BooksCheckSetsStateTextsAndProgress) {
    TTerminal answering;
    answering.ip = "127.0.9.10";
    answering.mac = "2.2.2.2.2.2";
    answering.interfaceAddress = "127.0.0.2";
    TTerminal notSip = answering;
    notSip.ip = "127.0.9.11";
    notSip.model = "IPC";
    byAddress["127.0.9.10"] = MakeRecord(answering);
    byAddress["127.0.9.11"] = MakeRecord(notSip);
    list.AppendRow(MakeRow("5.5.5.5.5.5", "127.0.9.10", "Books"));
    list.AppendRow(MakeRow("6.6.6.6.6.6", "127.0.9.11", "Books"));
    TDeviceRow gone = MakeRow("7.7.7.7.7.7", "127.0.9.12", "Books", "Online");
    gone.icon = kIconLocalComplete;
    list.AppendRow(gone);
    ScriptSearch({}, -1);
    Search();

    EXPECT_EQ(asked, (std::vector<std::string>{"127.0.9.10", "127.0.9.11", "127.0.9.12"}));
    EXPECT_EQ(observer.steps, 3);
    EXPECT_EQ(observer.pumps, 1 + 3);

    const TDeviceRow& found = list.Row(0);
    EXPECT_EQ(found.state, "Online");
    EXPECT_EQ(found.columns,
              (std::array<std::string, 8>{"1001", "Gate", "127.0.9.10", "2.2.2.2.2.2", "undefined",
                                          "V2.6.1", "127.0.0.2", "Books"}));
    EXPECT_EQ(found.icon, kIconLocalComplete);
    ASSERT_TRUE(found.netInfo);
    EXPECT_EQ(found.netInfo->dns2, (TIpBytes{127, 0, 0, 54}));

    EXPECT_EQ(list.Row(1).state, "Offline");  // another kind of terminal: left as it was
    EXPECT_EQ(list.Row(1).columns[kColMac], "6.6.6.6.6.6");

    EXPECT_EQ(list.Row(2).state, "Offline");
    EXPECT_EQ(list.Row(2).icon, kIconUnreachable);
    EXPECT_EQ(list.Row(2).columns, gone.columns);
}

TEST_F(SearchTest, BooksAnswerForARowThatChangedMeanwhileIsDropped) {
    list.AppendRow(MakeRow("5.5.5.5.5.5", "127.0.9.10", "Books", "Online"));
    list.AppendRow(MakeRow("6.6.6.6.6.6", "127.0.9.11", "Books", "Online"));
    const std::vector<TBooksQuery> queries = PlanBooksQueries(list);
    ASSERT_EQ(queries.size(), 2u);
    const TBooksAnswer silent{-1, {}};

    list.RemoveRow(0);  // the first row went, the second moved up
    EXPECT_FALSE(ApplyBooksAnswer(list, queries[0], silent));
    list.EditRow(0, [](TDeviceRow& r) { r.columns[kColIp] = "127.0.9.99"; });
    EXPECT_FALSE(ApplyBooksAnswer(list, queries[1], silent));
    EXPECT_EQ(list.Row(0).state, "Online");

    TBooksQuery current = queries[1];
    ASSERT_TRUE(RefreshQuery(list, current));
    EXPECT_EQ(current.rowIndex, 0u);
    EXPECT_EQ(current.ip, "127.0.9.99");
    EXPECT_EQ(ApplyBooksAnswer(list, current, silent), std::optional<std::size_t>(0));
    EXPECT_EQ(list.Row(0).state, "Offline");
}

// Records what an adapter would be told.
struct TRecordingObserver : TListObserver {
    std::vector<std::string> calls;
    void BeginInsertRows(std::size_t f, std::size_t l) override {
        calls.push_back("insert " + std::to_string(f) + "-" + std::to_string(l));
    }
    void BeginRemoveRows(std::size_t f, std::size_t l) override {
        calls.push_back("remove " + std::to_string(f) + "-" + std::to_string(l));
    }
    void RowChanged(std::size_t r) override { calls.push_back("changed " + std::to_string(r)); }
};

// A view keeps its selection, current row and scroll position only when the list reports rows
// changed, appended and removed one by one: a search never resets the model.
TEST_F(SearchTest, AdapterSeesRowChangesNeverAReset) {
    TRecordingObserver recorder;
    list.SetObserver(&recorder);
    list.AppendRow(MakeRow("5.5.5.5.5.5", "127.0.9.10", "Books"));
    TTerminal a, b, c;
    b.mac = "3.3.3.3.3.3";
    c.mac = "4.4.4.4.4.4";
    struct Step {
        const char* name;
        std::vector<TDeviceRecord> found;
        std::int32_t result;
        std::vector<std::string> calls;
    };
    const Step steps[] = {
        {"new terminals",
         {MakeRecord(a), MakeRecord(b), MakeRecord(c)},
         1,
         {"insert 1-1", "insert 2-2", "insert 3-3", "changed 0"}},
        {"unchanged",
         {MakeRecord(a), MakeRecord(b), MakeRecord(c)},
         1,
         {"changed 1", "changed 2", "changed 3", "changed 0"}},
        {"two neighbours gone", {MakeRecord(c)}, 1, {"changed 3", "remove 1-2", "changed 0"}},
        {"failed", {}, 0, {"changed 0"}},
    };
    for (const Step& step : steps) {
        recorder.calls.clear();
        ScriptSearch(step.found, step.result);
        Search();
        EXPECT_EQ(recorder.calls, step.calls) << step.name;
    }
}

}  // namespace
