// The platform layer's contract, the same on every system: sockets and waits on loopback,
// code pages, shared libraries, interfaces and file replacement.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "common/atomicfile.h"
#include "common/ipv4parse.h"
#include "common/platform/codepage.h"
#include "common/platform/dynlib.h"
#include "common/platform/netif.h"
#include "common/platform/poller.h"
#include "common/platform/stoprequest.h"
#include "common/textcodec.h"
#include "common/udpsocket.h"

namespace {

constexpr std::uint32_t kLoopback = 0x7F000001;  // 127.0.0.1
constexpr int kGenerousMs = 5000;                // an arrival on loopback takes far less

using TBytes = std::vector<std::uint8_t>;

// A socket bound to 127.0.0.1 on a port the system picks.
struct TBound {
    TBound() { EXPECT_TRUE(socket.Bind(kLoopback, 0)); }
    std::uint16_t Port() const { return socket.LocalPort(); }
    TUdpSocket socket;
};

TEST(PlatformUdp, DatagramsArriveWithTheirSenderAndInOrder) {
    TBound a, b;
    ASSERT_NE(a.Port(), 0);
    EXPECT_FALSE(b.socket.Receive(20, 64));  // nothing sent yet: the wait ends empty
    ASSERT_TRUE(a.socket.SendTo(kLoopback, b.Port(), TBytes{1, 2, 3}.data(), 3));
    const auto got = b.socket.Receive(kGenerousMs, 64);
    ASSERT_TRUE(got);
    EXPECT_EQ(got->bytes, (TBytes{1, 2, 3}));
    EXPECT_EQ(got->address, kLoopback);
    EXPECT_EQ(got->port, a.Port());

    // A batch, read in one go into slots that cut what does not fit.
    a.socket.SendBatch(kLoopback, b.Port(), {{10, 11, 12, 13}, {20}, {30, 31}});
    ASSERT_TRUE(b.socket.WaitReadable(kGenerousMs));
    std::uint8_t space[3][2];
    TUdpSocket::Slot slots[3] = {{space[0], 2}, {space[1], 2}, {space[2], 2}};
    int read = 0;
    while (read < 3 && b.socket.WaitReadable(kGenerousMs))
        read += b.socket.ReceiveQueued(slots + read, 3 - read);
    ASSERT_EQ(read, 3);
    const std::vector<TBytes> expected = {{10, 11}, {20}, {30, 31}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(TBytes(slots[i].data, slots[i].data + slots[i].size), expected[i]) << i;
        EXPECT_EQ(slots[i].port, a.Port());
    }
    EXPECT_EQ(b.socket.ReceiveQueued(slots, 3), 0);  // nothing left, no error
}

TEST(PlatformUdp, QueuedDatagramsCanBeDroppedAndPortsAreExclusive) {
    TBound a, b;
    for (std::uint8_t i = 0; i < 5; ++i)
        a.socket.SendTo(kLoopback, b.Port(), &i, 1);
    ASSERT_TRUE(b.socket.WaitReadable(kGenerousMs));
    // Loopback delivers at once, but give the last of the five its chance to be queued.
    const std::uint8_t marker = 99;
    a.socket.SendTo(kLoopback, b.Port(), &marker, 1);
    std::optional<TUdpSocket::Datagram> last;
    while (!last || last->bytes != TBytes{99})
        last = b.socket.Receive(kGenerousMs, 8);
    b.socket.DiscardQueued();
    EXPECT_FALSE(b.socket.TryReceive(8));

    // A port in use is not taken a second time; the first free one after it is.
    TUdpSocket second;
    EXPECT_FALSE(second.Bind(kLoopback, b.Port()));
    TUdpSocket holder, third;
    ASSERT_TRUE(holder.Bind(0, 0));
    const std::uint16_t held = holder.LocalPort();
    const std::uint16_t got = third.BindFirstFree(held, static_cast<std::uint16_t>(held + 20));
    EXPECT_GT(got, held);
    EXPECT_EQ(got, third.LocalPort());
}

TEST(PlatformPoller, ReportsReadableSocketsByTagAndWakesFromAnotherThread) {
    TBound a, b, c;
    TSocketPoller poller;
    poller.Add(b.socket, 7);
    poller.Add(c.socket, 8);
    std::vector<std::uint64_t> ready;
    EXPECT_FALSE(poller.Wait(0, ready));
    EXPECT_TRUE(ready.empty());

    const std::uint8_t byte = 1;
    a.socket.SendTo(kLoopback, c.Port(), &byte, 1);
    EXPECT_FALSE(poller.Wait(kGenerousMs, ready));
    EXPECT_EQ(ready, std::vector<std::uint64_t>{8});
    c.socket.DiscardQueued();

    std::thread waker([&poller] { poller.Wake(); });
    EXPECT_TRUE(poller.Wait(-1, ready));  // would wait for ever without the wake-up
    waker.join();
    EXPECT_TRUE(ready.empty());

    poller.Remove(b.socket);
    a.socket.SendTo(kLoopback, b.Port(), &byte, 1);
    a.socket.SendTo(kLoopback, c.Port(), &byte, 1);
    EXPECT_FALSE(poller.Wait(kGenerousMs, ready));
    EXPECT_EQ(ready, std::vector<std::uint64_t>{8});
}

TEST(PlatformCodePage, GbkBytesAreTheSameEverywhere) {
    struct Case {
        std::string utf8, gbk;
    };
    const Case both[] = {
        {"设备表", "\xC9\xE8\xB1\xB8\xB1\xED"},
        {"门口机 A-1", "\xC3\xC5\xBF\xDA\xBB\xFA A-1"},
        {"（全角）", "\xA3\xA8\xC8\xAB\xBD\xC7\xA3\xA9"},
    };
    for (const Case& c : both) {
        EXPECT_EQ(ToDeviceBytes(c.utf8), c.gbk) << c.utf8;
        EXPECT_EQ(FromDeviceBytes(c.gbk), c.utf8) << c.utf8;
    }
    const Case decoded[] = {
        {"\xEF\xBF\xBD ", "\x81\x20"},       // a lead byte without a valid trail byte
        {"\xEF\xBF\xBD", "\xFF"},            // no character at all
        {"设\xEF\xBF\xBD", "\xC9\xE8\xB1"},  // cut in the middle of a character
        {"A\xEF\xBF\xBD\x7F", "A\xA1\x7F"},  // 7F never follows a lead byte
    };
    for (const Case& c : decoded)
        EXPECT_EQ(FromDeviceBytes(c.gbk), c.utf8);
}

struct TDecodeCase {
    const char* page;
    std::string bytes, utf8;
    std::size_t firstBad;  // npos: every byte decoded
};

void ExpectDecoded(const TDecodeCase& c) {
    TCodePageConverter converter(c.page);
    ASSERT_TRUE(converter.Ok()) << c.page;
    std::size_t firstBad = 0;
    EXPECT_EQ(converter.Decode(c.bytes, &firstBad), c.utf8) << c.page << " " << c.bytes;
    EXPECT_EQ(firstBad, c.firstBad) << c.page << " " << c.bytes;
}

constexpr std::size_t kAllDecoded = std::string::npos;

// Strict readers (the table reader) report where the first byte that does not decode sits.
TEST(PlatformCodePage, DecodingNamesTheFirstBadByte) {
    const TDecodeCase cases[] = {
        {"GBK", "\xC9\xE8\xC9", "设\uFFFD", 2},
        {"GBK", "a\x81,", "a\uFFFD,", 1},
        {"UTF-8", "\xE5\xA4\xA7", "大", kAllDecoded},
        {"UTF-8", "ab\xE5\xA4", "ab\uFFFD\uFFFD", 2},
    };
    for (const TDecodeCase& c : cases)
        ExpectDecoded(c);
}

// The table reader takes GBK files in GB18030, whose characters run to four bytes.
TEST(PlatformCodePage, Gb18030HasFourByteCharacters) {
    const TDecodeCase cases[] = {
        {"GB18030", "\xC9\xE8\x81\x30\x81\x30", "设\u0080", kAllDecoded},
        {"GB18030", "\x94\x39\xFC\x36!", "\U0001F600!", kAllDecoded},
        {"GB18030", "a\x81\x30x", "a\uFFFD0x", 1},  // a four-byte character cut short
    };
    for (const TDecodeCase& c : cases)
        ExpectDecoded(c);
}

// An interrupt made before the wait is kept for it (a wait that missed it would never return).
TEST(PlatformStopRequest, AnInterruptEndsTheWait) {
    CatchStopRequests();
    ASSERT_EQ(std::raise(SIGINT), 0);
    AwaitStopRequest();
}

TEST(PlatformLibrary, MissingLibrariesAreNamedInTheError) {
    std::string error;
    const std::string missing =
        (std::filesystem::temp_directory_path() / SharedLibraryFileName("no-such-library"))
            .string();
    EXPECT_EQ(OpenSharedLibrary(missing, &error), nullptr);
    EXPECT_NE(error, "");
}

TEST(PlatformInterfaces, LoopbackIsAmongThem) {
    bool loopback = false;
    for (const TIpv4Interface& entry : ReadIpv4Interfaces()) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(&entry.address);
        const auto* mask = reinterpret_cast<const std::uint8_t*>(&entry.netmask);
        if (bytes[0] == 127 && bytes[3] == 1) loopback = mask[0] == 255;
    }
    EXPECT_TRUE(loopback);
}

TEST(PlatformFiles, ReplacementIsWholeAndLeavesNothingBehind) {
    const auto folder = std::filesystem::temp_directory_path() /
                        ("platform_files_" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "SysConfig.ini").string();
    for (const std::string& bytes : {std::string("[SYSTEM]\r\nLanguage=1\r\n"), std::string("x"),
                                     std::string(200000, '\xCF')}) {
        std::string error;
        ASSERT_TRUE(WriteFileAtomically(path, bytes, &error)) << error;
        std::string back;
        ASSERT_TRUE(ReadWholeFile(path, back));
        EXPECT_EQ(back, bytes);
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder),
                            std::filesystem::directory_iterator()),
              1);

    std::string error;
    bool missing = false;
    std::string untouched = "kept";
    EXPECT_FALSE(ReadWholeFile((folder / "none").string(), untouched, &error, &missing));
    EXPECT_TRUE(missing);
    EXPECT_EQ(untouched, "kept");
    EXPECT_NE(error, "");
    error.clear();
    EXPECT_FALSE(WriteFileAtomically((folder / "no-folder" / "f").string(), "x", &error));
    EXPECT_NE(error, "");
    std::filesystem::remove_all(folder);
}

TEST(Ipv4Parse, BothStandardRules) {
    struct Case {
        const char* text;
        std::optional<std::uint32_t> strict;
        std::array<std::uint8_t, 4> lenient;
    };
    constexpr std::array<std::uint8_t, 4> kNone{255, 255, 255, 255};
    const Case cases[] = {
        {"192.168.1.20", 0xC0A80114, {192, 168, 1, 20}},
        {"0.0.0.0", 0, {0, 0, 0, 0}},
        {"192.168.1.020", std::nullopt, {192, 168, 1, 16}},  // octal for inet_addr
        {"0x7f.1", std::nullopt, {127, 0, 0, 1}},
        {"10.65535", std::nullopt, {10, 0, 255, 255}},
        {"3232235796", std::nullopt, {192, 168, 1, 20}},
        {"192.168.1.20 trailing", std::nullopt, {192, 168, 1, 20}},
        {"192.168.1.256", std::nullopt, kNone},
        {"1.2.3.4.5", std::nullopt, kNone},
        {"08.1.1.1", std::nullopt, kNone},
        {"1.2.3.", std::nullopt, kNone},
        {"", std::nullopt, kNone},
        {" 1.2.3.4", std::nullopt, kNone},
        {"4294967296", std::nullopt, kNone},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseIpv4Strict(c.text), c.strict) << c.text;
        EXPECT_EQ(InetAddrOctets(c.text), c.lenient) << c.text;
    }
}

}  // namespace
