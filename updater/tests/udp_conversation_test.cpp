// Conversations over real UDP sockets with simulated terminals on 127.N.31.x. The reply wait is
// seconds wherever a terminal is meant to answer, so that a loaded machine never turns a slow
// reply into a lost one, and the reset pause outlasts the terminals' restart, so that no search
// waits in vain; each test case uses its own addresses.
#include <gtest/gtest.h>

#include <thread>

#include "termsim/update/agentrunner.h"
#include "testsupport.h"
#include "updater/conversation.h"
#include "updater/udplink.h"

namespace {

using termsim::TUpdateAgentConfig;
using termsim::TUpdateAgentRunner;
using testsupport::Loopback;

constexpr TProtocolTimes kTimes{2000, 300, 50};

TUpdateAgentConfig Terminal() {
    TUpdateAgentConfig config;
    config.password = "1234";
    config.deviceType = "SIP430";
    config.version = "V2.5.0";
    config.restartTime = std::chrono::milliseconds(200);
    config.keepData = true;
    return config;
}

TUpdateJob Job(std::size_t imageSize, std::size_t pakSize, const std::string& password = "1234") {
    TUpdateJob job;
    job.header = testsupport::MakeHeader("V2.8.3", "SIP430");
    job.image = testsupport::MakeImage(imageSize, job.header);
    for (std::size_t i = 0; i < pakSize; ++i)
        job.pak.push_back(static_cast<std::uint8_t>(i * 13));
    job.password = password;
    return job;
}

struct Ran {
    TConversationResult result;
    std::vector<std::uint32_t> searches;
    std::uint16_t localPort = 0;
};

Ran Converse(std::uint32_t address, const TUpdateJob& job, TProtocolTimes times = kTimes) {
    Ran ran;
    TUdpSocket socket;
    ran.localPort = socket.BindFirstFree(kFirstLocalPort, kLastLocalPort);
    TUdpUpdateLink link(socket, address, job.agentPort);
    TConversation conversation(link, job, times, [&](EProgressKind kind, std::uint32_t value) {
        if (kind == EProgressKind::Search) ran.searches.push_back(value);
    });
    ran.result = conversation.Run();
    return ran;
}

TEST(UdpConversation, UpdatesWithAndWithoutPak) {
    for (std::size_t pak : {0u, 5000u}) {
        const std::uint32_t address = Loopback(31, pak ? 2 : 1);
        TUpdateAgentRunner runner;
        int agent = runner.Add(address, 65276, Terminal());
        std::string error;
        ASSERT_TRUE(runner.Start(&error)) << error;
        TUpdateJob job = Job(100000, pak);
        Ran ran = Converse(address, job);
        EXPECT_EQ(ran.result.result, EUpdateResult::Done) << pak;
        EXPECT_EQ(ran.result.version, "V2.8.3");
        EXPECT_GE(ran.localPort, kFirstLocalPort);
        EXPECT_LE(ran.localPort, kLastLocalPort);
        runner.With(agent, [&](const termsim::TUpdateAgent& a) {
            EXPECT_TRUE(std::equal(job.image.begin(), job.image.end(), a.Image().begin()));
            EXPECT_EQ(a.Stats().imageAddresses.size(), 79u);  // ceil(100000 / 1280)
            EXPECT_EQ(a.Stats().imageAddresses.back(), 0) << "block 0 goes last";
            EXPECT_EQ(a.Stats().pakAddresses.size(), pak ? 5u : 0u);
            if (pak) {
                EXPECT_TRUE(std::equal(job.pak.begin(), job.pak.end(), a.Pak().begin()));
            }
            EXPECT_EQ(a.Version(), "V2.8.3");
            EXPECT_EQ(a.Stats().logouts, 1);
        });
    }
}

TEST(UdpConversation, FailuresAndTheirResults) {
    struct Case {
        const char* name;
        std::function<void(TUpdateAgentConfig&)> fault;
        EUpdateResult expected;
    } cases[] = {
        {"wrong password", [](auto& c) { c.password = "4321"; }, EUpdateResult::LoginFailed},
        {"wrong device type", [](auto& c) { c.deviceType = "SIP460"; }, EUpdateResult::WrongDevice},
        {"offline after login", [](auto& c) { c.muteQuery = true; }, EUpdateResult::Offline},
        {"rejected ten times", [](auto& c) { c.rejectBlocks = 10; }, EUpdateResult::Damaged},
        {"no return after reset", [](auto& c) { c.noReturn = true; },
         EUpdateResult::LostAfterReset},
    };
    TUpdateAgentRunner runner;
    unsigned host = 10;
    for (const Case& c : cases) {
        TUpdateAgentConfig config = Terminal();
        c.fault(config);
        runner.Add(Loopback(31, host++), 65276, config);
    }
    std::string error;
    ASSERT_TRUE(runner.Start(&error)) << error;
    // The waits meant to expire cost a whole reply wait each: the cases run side by side.
    const TUpdateJob job = Job(20000, 0);
    std::vector<Ran> ran(std::size(cases));
    {
        std::vector<std::jthread> conversations;
        for (unsigned i = 0; i < std::size(cases); ++i)
            conversations.emplace_back([&, i] { ran[i] = Converse(Loopback(31, 10 + i), job); });
    }
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(ran[i].result.result, cases[i].expected) << cases[i].name;
        if (cases[i].expected == EUpdateResult::LostAfterReset) {
            EXPECT_EQ(ran[i].searches.size(), 15u);
        }
    }
}

TEST(UdpConversation, NoTerminalAtTheAddress) {
    Ran ran = Converse(Loopback(31, 30), Job(2000, 0), {150, 50, 10});
    EXPECT_EQ(ran.result.result, EUpdateResult::LoginFailed);
}

TEST(UdpConversation, AgentOnAnotherPort) {
    const std::uint32_t address = Loopback(31, 40);
    TUpdateAgentRunner runner;
    runner.Add(address, 40123, Terminal());
    std::string error;
    ASSERT_TRUE(runner.Start(&error)) << error;
    TUpdateJob job = Job(3000, 0);
    job.agentPort = 40123;
    EXPECT_EQ(Converse(address, job).result.result, EUpdateResult::Done);
}

TEST(UdpLink, OnlyTheTerminalsOwnDatagramsCount) {
    TUdpSocket local, terminal, stranger, otherPort;
    ASSERT_TRUE(local.Bind(Loopback(31, 50), 0));
    ASSERT_TRUE(terminal.Bind(Loopback(31, 51), 0));
    ASSERT_TRUE(stranger.Bind(Loopback(31, 52), 0));
    ASSERT_TRUE(otherPort.Bind(Loopback(31, 51), 0));  // the terminal's address, another port
    TUdpUpdateLink link(local, Loopback(31, 51), terminal.LocalPort());
    const std::uint8_t strange[5] = {0xFA, 0xF8, 0, 0, 0};
    const std::uint8_t real[5] = {0xFA, 0xF8, 7, 0, 0};
    for (TUdpSocket* other : {&stranger, &otherPort}) {
        other->SendTo(Loopback(31, 50), local.LocalPort(), strange, 5);
        EXPECT_FALSE(link.Receive(200, 2047)) << "only the agent port's datagrams are replies";
    }
    stranger.SendTo(Loopback(31, 50), local.LocalPort(), strange, 5);
    otherPort.SendTo(Loopback(31, 50), local.LocalPort(), strange, 5);
    terminal.SendTo(Loopback(31, 50), local.LocalPort(), real, 5);
    std::optional<TBytes> reply = link.Receive(2000, 2047);
    ASSERT_TRUE(reply);
    EXPECT_EQ((*reply)[2], 7);
    // Whatever waits when a new request goes out is dropped.
    terminal.SendTo(Loopback(31, 50), local.LocalPort(), real, 5);
    ASSERT_TRUE(local.WaitReadable(2000));
    link.DiscardWaiting();
    EXPECT_FALSE(link.Receive(100, 2047));
    // Requests go to the terminal's address and agent port; long replies are cut.
    link.Send(TBytes(3000, 0x42));
    std::optional<TUdpSocket::Datagram> got = terminal.Receive(2000, 4096);
    ASSERT_TRUE(got);
    EXPECT_EQ(got->bytes.size(), 3000u);
    EXPECT_EQ(got->port, local.LocalPort());
    terminal.SendTo(Loopback(31, 50), local.LocalPort(), got->bytes.data(), got->bytes.size());
    EXPECT_EQ(link.Receive(2000, 1023)->size(), 1023u);
}

}  // namespace
