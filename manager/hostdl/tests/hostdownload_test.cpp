// The download procedure in virtual time, with the protocol's real waits: the schedule of sends,
// retries and give-ups, the progress texts and parts, stops, and which replies count.
#include "manager/hostdl/hostdownload.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

namespace {

using namespace std::chrono_literals;
using ms = std::chrono::milliseconds;

constexpr std::uint32_t kTerminal = 0x7F3C0101;  // never bound: the link is virtual
constexpr const char* kTerminalText = "127.60.1.1";

struct TSent {
    ms at;
    std::string code;
    int startIndex = -1;  // writes
    int count = 0;
};

// A socket in virtual time: pauses and receives advance the clock, replies arrive when scheduled.
class TVirtualLink : public IHostLink {
  public:
    struct TReply {
        ms delay;
        std::vector<std::uint8_t> bytes;
        std::uint32_t address = kTerminal;
        std::uint16_t port = kHostPort;
    };
    // The replies to one request; sendNumber counts every send from 1.
    std::function<std::vector<TReply>(const THostRequest&, int sendNumber)> terminal;
    std::function<void(int sendNumber)> onSend;
    std::vector<TSent> sent;
    ms now{0};

    explicit TVirtualLink(const TStopRequest& stop) : stop_(stop) {}
    bool Ready() const override { return true; }
    THostClock::time_point Now() const override { return THostClock::time_point(now); }
    void Send(std::uint32_t address, std::uint16_t port,
              std::span<const std::uint8_t> bytes) override {
        EXPECT_EQ(address, kTerminal);
        EXPECT_EQ(port, kHostPort);
        const auto request = ParseHostRequest(bytes);
        ASSERT_TRUE(request);
        const auto& t = *request->table;
        sent.push_back({now, std::string(request->write ? t.writeCode : t.eraseCode),
                        request->write ? request->startIndex : -1, request->count});
        const int number = static_cast<int>(sent.size());
        if (terminal)
            for (auto& r : terminal(*request, number))
                queue_.emplace(now + r.delay, THostDatagram{r.bytes, r.address, r.port});
        if (onSend) onSend(number);
    }
    std::optional<THostDatagram> Receive(ms timeout) override {
        const auto first = queue_.begin();
        const ms limit = stop_.IsSet() ? now : now + timeout;
        if (first == queue_.end() || first->first > limit) {
            now = limit;
            return std::nullopt;
        }
        now = std::max(now, first->first);
        THostDatagram d = first->second;
        queue_.erase(first);
        return d;
    }
    void Pause(ms time) override {
        if (!stop_.IsSet()) now += time;
    }
    void DiscardWaiting() override { queue_.erase(queue_.begin(), queue_.upper_bound(now)); }

  private:
    const TStopRequest& stop_;
    std::multimap<ms, THostDatagram> queue_;
};

struct TShown {
    TProgressText text;
    int parts;  // -1: the job result, text.count then 1 for success
    bool operator==(const TShown&) const = default;
};

class TRecorder : public IDownloadProgress {
  public:
    std::vector<TShown> shown;
    void ShowProgress(const TProgressText& text, int addParts) override {
        shown.push_back({text, addParts});
    }
    void ShowJobResult(bool success, const TProgressText& text) override {
        shown.push_back({{text.keyWord, success ? 1 : 0}, -1});
    }
};

std::vector<std::uint8_t> Answer(const THostRequest&, std::uint32_t result) {
    std::vector<std::uint8_t> header(kHostHeaderSize, 0);
    const auto reply = BuildHostReply(header, result);
    return {reply.begin(), reply.end()};
}

std::vector<THostEntry> Devices(int n) {
    std::vector<THostEntry> list;
    for (int i = 0; i < n; ++i)
        list.push_back(DeviceEntry(std::to_string(8001 + i), "D" + std::to_string(i)));
    return list;
}

class HostDownloadTest : public ::testing::Test {
  protected:
    bool Run(const TDownloadEntries& entries, EDownloadKind kind = EDownloadKind::Contacts) {
        THostDownloader downloader(link, progress, stop);
        return downloader.RunDownloadJob(kind, kTerminalText, entries);
    }
    std::vector<std::string> Codes() const {
        std::vector<std::string> codes;
        for (const auto& s : link.sent)
            codes.push_back(s.code);
        return codes;
    }
    std::vector<ms> Times() const {
        std::vector<ms> times;
        for (const auto& s : link.sent)
            times.push_back(s.at);
        return times;
    }
    // Every request answered with success at once.
    void AnswerAll() {
        link.terminal = [](const THostRequest& r, int) {
            return std::vector<TVirtualLink::TReply>{{0ms, Answer(r, 1)}};
        };
    }

    TStopRequest stop;
    TVirtualLink link{stop};
    TRecorder progress;
};

TEST_F(HostDownloadTest, FortyDevicesGoInBatchesOfSixteenSixteenEight) {
    AnswerAll();
    TDownloadEntries entries;
    entries.devices = Devices(40);
    entries.groups = {GroupEntry(1, "Floor1")};
    entries.groupDevices = {GroupDeviceEntry(1, "8001")};
    EXPECT_TRUE(Run(entries));
    const std::vector<TShown> expected = {
        {{3}, 1},     {{4}, 1},  {{6}, 1},  {{7, 16}, 16}, {{7, 32}, 16},
        {{7, 40}, 1}, {{21}, 1}, {{22}, 1}, {{24}, 1},     {{25, 1}, 1},
        {{27}, 1},    {{28}, 1}, {{30}, 1}, {{31, 1}, 1},  {{1, 1}, -1},
    };
    EXPECT_EQ(progress.shown, expected);
    ASSERT_EQ(link.sent.size(), 8u);
    const int starts[] = {-1, 0, 16, 32, -1, 0, -1, 0};
    const int counts[] = {0, 16, 16, 8, 0, 1, 0, 1};
    for (std::size_t i = 0; i < link.sent.size(); ++i) {
        EXPECT_EQ(link.sent[i].startIndex, starts[i]) << i;
        EXPECT_EQ(link.sent[i].count, counts[i]) << i;
    }
    EXPECT_EQ(Codes(), (std::vector<std::string>{"BKER", "BKWR", "BKWR", "BKWR", "GPER", "GPWR",
                                                 "GDER", "GDWR"}));
    // The mandatory waits only: 1000 ms after each erase, 500 ms after each batch.
    EXPECT_EQ(Times(),
              (std::vector<ms>{0ms, 1000ms, 1500ms, 2000ms, 2500ms, 3500ms, 4000ms, 5000ms}));
}

TEST_F(HostDownloadTest, SilentTerminalEraseGivesUpAfterThreeSends) {
    TDownloadEntries entries;
    entries.devices = Devices(3);
    EXPECT_FALSE(Run(entries));
    EXPECT_EQ(Codes(), (std::vector<std::string>{"BKER", "BKER", "BKER"}));
    // Each send: 1000 ms, then 20 waits of 1000 ms, each followed by 500 ms.
    EXPECT_EQ(Times(), (std::vector<ms>{0ms, 31000ms, 62000ms}));
    EXPECT_EQ(link.now, 93000ms);
    EXPECT_EQ(progress.shown, (std::vector<TShown>{{{3}, 1}, {{5}, 1}, {{2, 0}, -1}}));
}

TEST_F(HostDownloadTest, RefusedBatchIsSentFiveTimes) {
    link.terminal = [](const THostRequest& r, int) {
        return std::vector<TVirtualLink::TReply>{{0ms, Answer(r, r.write ? 0 : 1)}};
    };
    TDownloadEntries entries;
    entries.zones.assign(20, ZoneEntry("1", "Hall", {239, 1, 1, 1}, 5000));
    EXPECT_FALSE(Run(entries, EDownloadKind::Zones));
    EXPECT_EQ(Codes(), (std::vector<std::string>{"ZNER", "ZNWR", "ZNWR", "ZNWR", "ZNWR", "ZNWR"}));
    EXPECT_EQ(Times(), (std::vector<ms>{0ms, 1000ms, 1500ms, 2000ms, 2500ms, 3000ms}));
    EXPECT_EQ(progress.shown,
              (std::vector<TShown>{{{9}, 1}, {{10}, 1}, {{12}, 1}, {{14}, 0}, {{2, 0}, -1}}));
}

TEST_F(HostDownloadTest, BatchAcknowledgedAtItsFifthSendIsWritten) {
    // Send 1 is the erase; sends 2 to 5 are the batch's refused sends, send 6 its last chance.
    link.terminal = [](const THostRequest& r, int send) {
        return std::vector<TVirtualLink::TReply>{{0ms, Answer(r, !r.write || send == 6 ? 1 : 0)}};
    };
    TDownloadEntries entries;
    entries.zones.assign(2, ZoneEntry("1", "Hall", {239, 1, 1, 1}, 5000));
    EXPECT_TRUE(Run(entries, EDownloadKind::Zones));
    EXPECT_EQ(Codes(), (std::vector<std::string>{"ZNER", "ZNWR", "ZNWR", "ZNWR", "ZNWR", "ZNWR"}));
    for (std::size_t i = 1; i < link.sent.size(); ++i) {
        EXPECT_EQ(link.sent[i].startIndex, 0) << i;
        EXPECT_EQ(link.sent[i].count, 2) << i;
    }
    EXPECT_EQ(progress.shown.back(), (TShown{{1, 1}, -1}));
}

TEST_F(HostDownloadTest, OnlyTheTerminalsValidRepliesCount) {
    // Before the terminal's own late reply: a stranger's success and a damaged one. Neither may
    // acknowledge the request.
    link.terminal = [](const THostRequest& r, int) {
        auto damaged = Answer(r, 1);
        damaged[10] ^= 0xFF;
        return std::vector<TVirtualLink::TReply>{
            {100ms, Answer(r, 1), 0x7F3C0199},
            {300ms, damaged},
            {1800ms, Answer(r, 1)},
        };
    };
    TDownloadEntries entries;
    entries.zones.assign(1, ZoneEntry("1", "Hall", {239, 1, 1, 1}, 5000));
    EXPECT_TRUE(Run(entries, EDownloadKind::Zones));
    // The erase is acknowledged in its second wait (1800 ms after the send); the batch by the
    // first send's late reply after the second send.
    EXPECT_EQ(Codes(), (std::vector<std::string>{"ZNER", "ZNWR", "ZNWR"}));
    EXPECT_EQ(Times(), (std::vector<ms>{0ms, 1800ms, 3300ms}));
}

// A terminal may answer from another source port than 6006: its address is what counts.
TEST_F(HostDownloadTest, RepliesFromAnotherPortOfTheTerminalCount) {
    link.terminal = [](const THostRequest& r, int) {
        return std::vector<TVirtualLink::TReply>{{10ms, Answer(r, 1), kTerminal, 40000}};
    };
    TDownloadEntries entries;
    entries.zones.assign(1, ZoneEntry("1", "Hall", {239, 1, 1, 1}, 5000));
    EXPECT_TRUE(Run(entries, EDownloadKind::Zones));
    EXPECT_EQ(Codes(), (std::vector<std::string>{"ZNER", "ZNWR"}));
}

TEST_F(HostDownloadTest, LateDuplicateDoesNotAcknowledgeTheNextBatch) {
    // The first batch is acknowledged twice; the terminal never receives the first send of the
    // second batch. Only a fresh reply may acknowledge it.
    link.terminal = [](const THostRequest& r, int send) {
        if (send == 3) return std::vector<TVirtualLink::TReply>{};
        std::vector<TVirtualLink::TReply> replies{{10ms, Answer(r, 1)}};
        if (send == 2) replies.push_back({400ms, Answer(r, 1)});
        return replies;
    };
    TDownloadEntries entries;
    entries.devices = Devices(20);
    EXPECT_TRUE(Run(entries));
    ASSERT_GE(link.sent.size(), 4u);
    EXPECT_EQ(link.sent[2].startIndex, 16);
    EXPECT_EQ(link.sent[3].startIndex, 16);  // sent again: the duplicate did not count
}

TEST_F(HostDownloadTest, StopDuringTheThirdBatchEndsTheJobWithoutWaiting) {
    AnswerAll();
    link.terminal = [](const THostRequest& r, int send) {
        return std::vector<TVirtualLink::TReply>{{send == 4 ? 300ms : 0ms, Answer(r, 1)}};
    };
    link.onSend = [this](int send) {
        if (send == 4) stop.Set();
    };
    TDownloadEntries entries;
    entries.devices = Devices(40);
    entries.groups = {GroupEntry(1, "Floor1")};
    EXPECT_FALSE(Run(entries));
    EXPECT_EQ(Codes(), (std::vector<std::string>{"BKER", "BKWR", "BKWR", "BKWR"}));
    EXPECT_EQ(link.now, 2000ms);  // no wait after the stop
    EXPECT_EQ(progress.shown.back(), (TShown{{2, 0}, -1}));
    EXPECT_EQ(progress.shown[progress.shown.size() - 2], (TShown{{8}, 0}));
}

TEST_F(HostDownloadTest, StepRefusesMissingListAddressOrPort) {
    THostDownloader downloader(link, progress, stop);
    const std::vector<THostEntry> none;
    EXPECT_EQ(downloader.DownloadTable(EHostTable::Device, kTerminalText, nullptr), -2);
    EXPECT_EQ(downloader.DownloadTable(EHostTable::Device, "", &none), -2);
    EXPECT_EQ(downloader.DownloadTable(EHostTable::Device, "127.60.1", &none), -2);
    EXPECT_EQ(downloader.DownloadTable(EHostTable::Device, kTerminalText, &none, 65536), -2);
    EXPECT_EQ(downloader.DownloadTable(EHostTable::Device, kTerminalText, &none, -1), -2);
    EXPECT_TRUE(link.sent.empty());
    EXPECT_TRUE(progress.shown.empty());
}

TEST(HostDownloadTexts, DefaultsAndCounts) {
    EXPECT_EQ(DownloadTextKey(31), "Pelmora/Messagedlg/FrmDownloadWait/keyWord31");
    EXPECT_EQ(DownloadText({1}), "下载成功");
    EXPECT_EQ(DownloadText({13, 32}), "正在写分区表，已写分区个数(32)。。。");
    EXPECT_EQ(DownloadText({31, 5}), "正在写分组设备表，已写分组设备个数(5)。。。");
    for (int k : {1, 2, 3, 14, 21, 32})
        EXPECT_FALSE(DownloadDefaultText(k).empty()) << k;
    for (int k : {0, 15, 20, 33})
        EXPECT_TRUE(DownloadDefaultText(k).empty()) << k;
}

}  // namespace
