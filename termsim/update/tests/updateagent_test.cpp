// The simulated terminal's update agent: the bytes it answers with, its faults, the standalone
// runner, and the agent inside the fleet. Addresses 127.N.34.x of the process's block.
#include <gtest/gtest.h>

#include <chrono>

#include "common/textcodec.h"
#include "termsim/fleet.h"
#include "termsim/update/agentrunner.h"
#include "termsim/update/fleetagent.h"
#include "termsim/update/updateagent.h"
#include "tests/testnet.h"
#include "updater/checksum.h"
#include "updater/conversation.h"
#include "updater/protocol.h"
#include "updater/udplink.h"

namespace termsim {
namespace {

TUpdateAgentConfig Config() {
    TUpdateAgentConfig c;
    c.password = "pw";
    c.deviceType = "SIP520";
    c.version = "V2.6.0";
    c.keepData = true;
    return c;
}

TDatagram Only(const TAgentOutput& out) {
    EXPECT_EQ(out.replies.size(), 1u);
    return out.replies.empty() ? TDatagram{} : out.replies[0];
}

TDatagram Ack(std::uint8_t command, std::uint8_t status) {
    TDatagram a{0xFA, command, status, 0, 0};
    std::uint16_t sum = AdditiveChecksum(a.data(), 3);
    a[3] = sum >> 8;
    a[4] = sum & 0xFF;
    return a;
}

TEST(UpdateAgent, RepliesByteForByte) {
    TUpdateAgent agent(Config());
    // Login: the 23-byte echo with a CRC that matches only for the right password.
    for (auto [password, accepted] : {std::pair{"nope", false}, std::pair{"pw", true}}) {
        TDatagram reply = Only(agent.Handle(LoginRequest(77, password)));
        ASSERT_EQ(reply.size(), 23u);
        EXPECT_EQ(reply[7], 77);
        EXPECT_EQ(reply[8], 0x11);
        EXPECT_EQ(ClassifyLoginReply(reply, 77),
                  accepted ? ELoginReply::Accepted : ELoginReply::Refused);
    }
    EXPECT_EQ(agent.Stats().logins, 1);
    EXPECT_EQ(agent.Stats().refusedLogins, 1);

    TDatagram query = Only(agent.Handle(QueryRequest()));
    TDatagram expected(33, 0);
    expected[0] = 0xFA;
    std::string type = "SIP520", version = "V2.6.0";
    std::copy(type.begin(), type.end(), expected.begin() + 1);
    std::copy(version.begin(), version.end(), expected.begin() + 17);
    EXPECT_EQ(query, expected);

    std::vector<std::uint8_t> image(3000, 0x21);
    EXPECT_EQ(Only(agent.Handle(ImageBlock(image, 2))), Ack(0xF8, 0));
    TBytes damaged = ImageBlock(image, 1);
    damaged[100] ^= 1;  // checksum no longer matches
    EXPECT_EQ(Only(agent.Handle(damaged)), Ack(0xF8, 3));
    EXPECT_EQ(Only(agent.Handle(PakBlock(image, 0))), Ack(0xF6, 0));
    EXPECT_EQ(agent.Stats().imageAddresses, std::vector<std::uint16_t>{8});
    EXPECT_EQ(agent.Stats().pakAddresses, std::vector<std::uint16_t>{0});
    EXPECT_EQ(agent.Stats().rejected, 1);

    TAgentOutput reset = agent.Handle(ResetRequest());
    EXPECT_EQ(Only(reset), Ack(0xF7, 0));
    ASSERT_TRUE(reset.restart);
    EXPECT_EQ(*reset.restart, std::chrono::milliseconds(3000));
    TDatagram logout = Only(agent.Handle(LogoutRequest()));
    EXPECT_EQ(logout.size(), 23u);
    EXPECT_EQ(logout[8], 0x15);
}

TEST(UpdateAgent, BlocksNeedALogin) {
    TUpdateAgent agent(Config());
    std::vector<std::uint8_t> image(10);
    EXPECT_EQ(Only(agent.Handle(ImageBlock(image, 0))), Ack(0xF8, 2));
    agent.Handle(LoginRequest(1, "pw"));
    EXPECT_EQ(Only(agent.Handle(ImageBlock(image, 0))), Ack(0xF8, 0));
    agent.OnRestart();
    EXPECT_EQ(Only(agent.Handle(ImageBlock(image, 0))), Ack(0xF8, 2));
}

TEST(UpdateAgent, NewVersionAfterReset) {
    struct Case {
        const char* name;
        std::string updatedVersion;
        std::string imageStart;
        std::string expected;
    } cases[] = {
        {"from the image's header", "", std::string("B32\0\0\0\0\0V3.0.0", 14), "V3.0.0"},
        {"configured", "V9", std::string("B32\0\0\0\0\0V3.0.0", 14), "V9"},
        {"image without header", "", "ELF", "V2.6.0"},
    };
    for (const Case& c : cases) {
        TUpdateAgentConfig config = Config();
        config.updatedVersion = c.updatedVersion;
        TUpdateAgent agent(config);
        agent.Handle(LoginRequest(1, "pw"));
        std::vector<std::uint8_t> image(c.imageStart.begin(), c.imageStart.end());
        agent.Handle(ImageBlock(image, 0));
        EXPECT_EQ(agent.Version(), "V2.6.0") << c.name << ": unchanged before the reset";
        agent.Handle(ResetRequest());
        EXPECT_EQ(agent.Version(), c.expected) << c.name;
        std::optional<TQueryReply> q = ParseQueryReply(Only(agent.Handle(QueryRequest())));
        EXPECT_EQ(q->version, c.expected) << c.name;
    }
}

TEST(UpdateAgent, Faults) {
    TUpdateAgentConfig config = Config();
    config.rejectBlocks = 2;
    config.dropBlockAcks = 3;
    config.muteQuery = true;
    config.noReturn = true;
    TUpdateAgent agent(config);
    agent.Handle(LoginRequest(1, "pw"));
    EXPECT_TRUE(agent.Handle(QueryRequest()).replies.empty());
    std::vector<std::uint8_t> image(10);
    std::vector<std::size_t> replies;
    for (int i = 0; i < 5; ++i)
        replies.push_back(agent.Handle(ImageBlock(image, 0)).replies.size());
    EXPECT_EQ(replies, (std::vector<std::size_t>{0, 0, 0, 1, 1}));
    EXPECT_EQ(agent.Stats().rejected, 2);
    TAgentOutput reset = agent.Handle(ResetRequest());
    EXPECT_EQ(reset.restart, TUpdateAgent::kForever);
    EXPECT_TRUE(agent.Handle(QueryRequest()).replies.empty());
    EXPECT_TRUE(agent.Handle(LoginRequest(1, "pw")).replies.empty());
}

TEST(UpdateAgent, PasswordInTheDeviceCodePage) {
    TUpdateAgentConfig config = Config();
    config.password = "密码";
    TUpdateAgent agent(config);
    EXPECT_EQ(ClassifyLoginReply(Only(agent.Handle(LoginRequest(3, ToDeviceBytes("密码")))), 3),
              ELoginReply::Accepted);
}

TEST(AgentRunner, RefusesAddressesOutsideLoopback) {
    TUpdateAgentRunner runner;
    runner.Add(0xC0A80101, 65276, Config());
    std::string error;
    EXPECT_FALSE(runner.Start(&error));
    EXPECT_NE(error.find("127.0.0.0/8"), std::string::npos);
}

TEST(AgentRunner, SilentWhileRestartingAndLossyOnRequest) {
    TUpdateAgentRunner runner;
    TUpdateAgentConfig config = Config();
    // Long enough that a loaded machine still asks while the terminal is down.
    config.restartTime = std::chrono::seconds(2);
    const std::uint32_t address = testnet::Address(34, 1);
    runner.Add(address, 65276, config);
    runner.Add(address + 1, 65276, config, 1.0);  // every reply lost
    std::string error;
    ASSERT_TRUE(runner.Start(&error)) << error;
    TUdpSocket socket;
    ASSERT_TRUE(socket.Bind(testnet::Address(34, 100), 0));
    TUdpUpdateLink link(socket, address, 65276);
    link.Send(ResetRequest());
    EXPECT_TRUE(link.Receive(2000, 2047));
    link.Send(QueryRequest());
    EXPECT_FALSE(link.Receive(500, 2047)) << "restarting";
    // Back after the restart: ask until it answers (bounded).
    bool answered = false;
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!answered && std::chrono::steady_clock::now() < limit) {
        link.Send(QueryRequest());
        answered = link.Receive(100, 2047).has_value();
    }
    EXPECT_TRUE(answered);
    TUdpUpdateLink lossy(socket, address + 1, 65276);
    lossy.Send(QueryRequest());
    EXPECT_FALSE(lossy.Receive(200, 2047));
    EXPECT_EQ(runner.With(1, [](const TUpdateAgent& a) { return a.Stats().queries; }), 1);
    runner.Stop();
}

TEST(FleetAgent, UpdatesAFleetTerminal) {
    FleetOptions options;
    options.count = 2;
    options.firstAddress = testnet::Address(34, 17);
    options.models = {"SIP430"};
    options.restartTime = std::chrono::milliseconds(200);
    TUpdateAgentConfig base;
    base.password = "fleet";
    base.restartTime = std::chrono::milliseconds(200);
    options.agents.push_back(UpdateAgentFactory(base));
    Fleet fleet(options);
    std::string error;
    ASSERT_TRUE(fleet.Start(&error)) << error;

    TUpdateJob job;
    const std::string type = "SIP430", version = "V3.3.3";
    job.header[0] = 'B';
    std::copy(type.begin(), type.end(), job.header.begin() + 40);
    job.image.assign(5000, 0);
    const std::string head = std::string("B32\0\0\0\0\0", 8) + version;
    std::copy(head.begin(), head.end(), job.image.begin());
    job.password = "fleet";
    TUdpSocket socket;
    socket.BindFirstFree(kFirstLocalPort, kLastLocalPort);
    TUdpUpdateLink link(socket, options.firstAddress, job.agentPort);
    // Replies are awaited for seconds; the reset pause outlasts the restart.
    TConversation conversation(link, job, TProtocolTimes{2000, 300, 50}, [](auto, auto) {});
    TConversationResult result = conversation.Run();
    EXPECT_EQ(result.result, EUpdateResult::Done);
    EXPECT_EQ(result.version, version);
    EXPECT_EQ(fleet.State(0).Firmware(), version) << "the search shows the new firmware";
    EXPECT_NE(fleet.State(1).Firmware(), version);
}

}  // namespace
}  // namespace termsim
