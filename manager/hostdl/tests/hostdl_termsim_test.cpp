// Download jobs over UDP against simulated family-520 terminals, with shortened waits: what the
// terminal received, what its tables hold afterwards, and the job's answer under faults.
#include <gtest/gtest.h>

#include "manager/hostdl/hostdownload.h"
#include "manager/hostdl/tests/hostfleet.h"
#include "manager/hostdl/udphostlink.h"
#include "tests/testnet.h"

namespace termsim {
void PrintTo(const THostRequestSeen& r, std::ostream* os) {
    *os << r.code << "(" << r.startIndex << "," << r.count << ")";
}
}  // namespace termsim

namespace {

using namespace std::chrono_literals;
using termsim::EHostFault;
using Seen = termsim::THostRequestSeen;

const std::uint32_t kFirst = testnet::Address(1, 1);

class TNoProgress : public IDownloadProgress {
    void ShowProgress(const TProgressText&, int) override {}
    void ShowJobResult(bool, const TProgressText&) override {}
};

// The UDP link, handing over a reply only once the terminal has finished answering: the copies of
// a repeated reply then arrive together, as one terminal sends them, however loaded the machine.
// Counts its sends, so that a test can wait until the terminal has taken in every one.
class TSettledLink : public IHostLink {
  public:
    TSettledLink(const TStopRequest& stop, const THostFleet& fleet) : udp_(stop), fleet_(fleet) {}
    bool Ready() const override { return udp_.Ready(); }
    THostClock::time_point Now() const override { return udp_.Now(); }
    void Send(std::uint32_t address, std::uint16_t port,
              std::span<const std::uint8_t> bytes) override {
        ++sent_;
        udp_.Send(address, port, bytes);
    }
    std::optional<THostDatagram> Receive(std::chrono::milliseconds timeout) override {
        std::optional<THostDatagram> datagram = udp_.Receive(timeout);
        if (datagram) fleet_.SettleLoop();
        return datagram;
    }
    void Pause(std::chrono::milliseconds time) override { udp_.Pause(time); }
    void DiscardWaiting() override { udp_.DiscardWaiting(); }
    int Sent() const { return sent_; }

  private:
    TUdpHostLink udp_;
    const THostFleet& fleet_;
    int sent_ = 0;
};

std::vector<TContactRow> Contacts(int n) {
    const char* groups[] = {"Floor1", "floor1", "Floor2", ""};
    std::vector<TContactRow> rows;
    for (int i = 0; i < n; ++i)
        rows.push_back({std::to_string(8001 + i), "Room " + std::to_string(i + 1), groups[i % 4]});
    return rows;
}

struct TCase {
    const char* what;
    EDownloadKind kind;
    TDownloadEntries entries;
    termsim::THostFaults faults;
    bool success;
    std::vector<Seen> seen;
    bool tablesEqualEntries;
};

TEST(HostDownloadTermsim, JobsAgainstASimulatedTerminal) {
    const TDownloadEntries forty = BuildContactEntries(Contacts(40));
    TDownloadEntries sixteen;
    sixteen.devices = BuildContactEntries(Contacts(16)).devices;
    TDownloadEntries twenty;
    twenty.devices = BuildContactEntries(Contacts(20)).devices;
    TDownloadEntries noDevices;
    noDevices.groups = forty.groups;
    const TDownloadEntries zones = BuildZoneEntries(std::vector<TZoneRow>{
        {"1", "Hall", "239.1.1.1", "5000"}, {"2", "Yard", "239.1.1.2", "5002"}});
    const termsim::THostFaults none;
    termsim::THostFaults silent;
    silent.silent = true;
    termsim::THostFaults refuse;
    refuse.refuseWrites = true;
    termsim::THostFaults duplicate;  // the first batch answered twice, the second's first send lost
    duplicate.byRequest = {{2, EHostFault::Duplicate}, {3, EHostFault::Ignore}};
    termsim::THostFaults lostReply;
    lostReply.byRequest = {{2, EHostFault::LoseReply}};
    termsim::THostFaults slow;
    slow.replyDelay = 60ms;

    const Seen bker{"BKER"}, gper{"GPER"}, gder{"GDER"}, zner{"ZNER"};
    const std::vector<TCase> cases = {
        {"forty contacts",
         EDownloadKind::Contacts,
         forty,
         none,
         true,
         {bker,
          {"BKWR", 0, 16},
          {"BKWR", 16, 16},
          {"BKWR", 32, 8},
          gper,
          {"GPWR", 0, 2},
          gder,
          {"GDWR", 0, 16},
          {"GDWR", 16, 14}},
         true},
        {"exactly sixteen",
         EDownloadKind::Contacts,
         sixteen,
         none,
         true,
         {bker, {"BKWR", 0, 16}, gper},
         true},
        {"no device entries", EDownloadKind::Contacts, noDevices, none, true, {bker}, false},
        {"silent terminal",
         EDownloadKind::Contacts,
         forty,
         silent,
         false,
         {bker, bker, bker},
         false},
        {"every write refused",
         EDownloadKind::Contacts,
         sixteen,
         refuse,
         false,
         {bker,
          {"BKWR", 0, 16},
          {"BKWR", 0, 16},
          {"BKWR", 0, 16},
          {"BKWR", 0, 16},
          {"BKWR", 0, 16}},
         false},
        {"late duplicate reply",
         EDownloadKind::Contacts,
         twenty,
         duplicate,
         true,
         {bker, {"BKWR", 0, 16}, {"BKWR", 16, 4}, gper},
         true},
        {"lost reply",
         EDownloadKind::Contacts,
         twenty,
         lostReply,
         true,
         {bker, {"BKWR", 0, 16}, {"BKWR", 0, 16}, {"BKWR", 16, 4}, gper},
         true},
        {"slow replies", EDownloadKind::Zones, zones, slow, true, {zner, {"ZNWR", 0, 2}}, true},
    };

    THostFleet fleet;
    std::string error;
    ASSERT_TRUE(fleet.Start(kFirst, static_cast<int>(cases.size()), {"SIP520", "SIP525"}, &error))
        << error;
    const auto& store = fleet.store;

    for (std::size_t i = 0; i < cases.size(); ++i) {
        const TCase& c = cases[i];
        const int index = static_cast<int>(i);
        store->SetFaults(index, c.faults);
        TStopRequest stop;
        TSettledLink link(stop, fleet);
        ASSERT_TRUE(link.Ready());
        TNoProgress progress;
        // Replies on loopback take far less than the reply wait of seconds, even on a loaded
        // machine; a silent terminal's waits stay short, as nothing can answer them.
        THostTiming timing{20ms, 100ms, c.faults.silent ? 20ms : 2000ms, 5ms};
        THostDownloader downloader(link, progress, stop, timing);
        EXPECT_EQ(downloader.RunDownloadJob(c.kind, termsim::AddressText(kFirst + i), c.entries),
                  c.success)
            << c.what;
        // The job may end before the terminal has taken in its last sends (a silent terminal).
        ASSERT_TRUE(fleet.AwaitHandled(index, link.Sent())) << c.what;
        const termsim::THostTerminalTables t = store->Terminal(index);
        EXPECT_EQ(t.requests, c.seen) << c.what;
        EXPECT_EQ(t.refused, 0) << c.what;
        if (!c.tablesEqualEntries) continue;
        if (c.kind == EDownloadKind::Zones) {
            EXPECT_EQ(t.Table(EHostTable::Zone), c.entries.zones) << c.what;
        } else {
            EXPECT_EQ(t.Table(EHostTable::Device), c.entries.devices) << c.what;
            EXPECT_EQ(t.Table(EHostTable::Group), c.entries.groups) << c.what;
            EXPECT_EQ(t.Table(EHostTable::GroupDevice), c.entries.groupDevices) << c.what;
        }
    }
}

TEST(HostDownloadTermsim, TerminalChecksEveryRequest) {
    THostFleet fleet;
    std::string error;
    ASSERT_TRUE(fleet.Start(kFirst + 0x100, 2, {"SIP520", "SIP310"}, &error)) << error;
    const auto& store = fleet.store;

    const std::uint32_t a = kFirst + 0x100;
    TStopRequest stop;
    TUdpHostLink link(stop);
    int sent = 0;  // to the first terminal, which counts every datagram it takes in
    auto exchange = [&](std::uint32_t address, const std::vector<std::uint8_t>& request,
                        EHostReply expected) {
        link.DiscardWaiting();
        link.Send(address, kHostPort, request);
        if (expected != EHostReply::Invalid) {
            const auto reply = link.Receive(30s);
            return reply ? ClassifyHostReply(reply->bytes) : EHostReply::Invalid;
        }
        // No answer expected: once the terminal has dealt with the request, an answer would be
        // on its way. The other family's terminal counts nothing: its silence is waited out.
        if (address == a) {
            EXPECT_TRUE(fleet.AwaitHandled(0, sent + 1));
        }
        const auto reply = link.Receive(address == a ? 200ms : 2000ms);
        return reply ? ClassifyHostReply(reply->bytes) : EHostReply::Invalid;
    };
    auto write = [](std::uint16_t start, int n) {
        std::vector<std::uint8_t> b(kHostMaxRequestSize);
        b.resize(
            BuildWriteRequest("GPWR", start, std::vector<THostEntry>(n, GroupEntry(1, "g")), b));
        return b;
    };
    std::vector<std::uint8_t> erase(kHostHeaderSize);
    BuildEraseRequest("GPER", erase);
    std::vector<std::uint8_t> damaged = write(0, 1);
    damaged[80] ^= 1;
    const struct {
        const char* what;
        std::uint32_t address;
        std::vector<std::uint8_t> request;
        EHostReply reply;
    } steps[] = {
        {"erase", a, erase, EHostReply::Done},
        {"write not at the table's end", a, write(1, 2), EHostReply::Refused},
        {"first batch", a, write(0, 16), EHostReply::Done},
        {"retried batch", a, write(0, 16), EHostReply::Done},
        {"gap", a, write(17, 1), EHostReply::Refused},
        {"next batch", a, write(16, 3), EHostReply::Done},
        {"damaged checksum: no answer", a, damaged, EHostReply::Invalid},
        {"other family: no answer", a + 1, erase, EHostReply::Invalid},
    };
    for (const auto& s : steps) {
        EXPECT_EQ(exchange(s.address, s.request, s.reply), s.reply) << s.what;
        sent += s.address == a;
    }
    const auto t = store->Terminal(0);
    EXPECT_EQ(t.Table(EHostTable::Group).size(), 19u);
    EXPECT_EQ(t.refused, 3);
    EXPECT_EQ(store->Terminal(1).datagrams, 0);
}

}  // namespace
