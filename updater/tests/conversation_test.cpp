// Whole conversations against the simulated terminal's agent, in virtual time: the link hands
// each request straight to the agent, and a wait without a reply costs its full time-out.
#include <gtest/gtest.h>

#include <deque>

#include "termsim/update/updateagent.h"
#include "testsupport.h"
#include "updater/checksum.h"
#include "updater/conversation.h"

namespace {

using termsim::TUpdateAgent;
using termsim::TUpdateAgentConfig;

class TVirtualLink : public IUpdateLink {
  public:
    explicit TVirtualLink(TUpdateAgent& agent) : agent_(agent) {}

    void Send(const TBytes& datagram) override {
        sent.push_back(datagram);
        for (auto& r : copies_)  // copies of the last replies, overtaken by this request
            queue_.push_back(r);
        copies_.clear();
        if (lateArmed_) {  // the held replies arrived while this request was on its way
            for (auto& r : late_)
                queue_.push_back(r);
            late_.clear();
            lateArmed_ = false;
        }
        if (mute || now < silentUntil) return;
        termsim::TAgentOutput out = agent_.Handle(datagram);
        if (copyNextReply) {
            copyNextReply = false;
            copies_ = out.replies;  // delivered again, after the next request went out
        }
        if (holdNextReply) {
            holdNextReply = false;
            late_ = out.replies;  // arrives during the next wait instead
            out.replies.clear();
        }
        for (auto& r : out.replies)
            queue_.push_back(r);
        if (out.restart) {
            silentUntil = now + out.restart->count();
            agent_.OnRestart();
        }
    }
    void DiscardWaiting() override { queue_.clear(); }
    std::optional<TBytes> Receive(int timeoutMs, std::size_t maxBytes) override {
        if (queue_.empty()) {
            lateArmed_ = !late_.empty();
            now += timeoutMs;
            return std::nullopt;
        }
        TBytes reply = queue_.front();
        queue_.pop_front();
        if (reply.size() > maxBytes) reply.resize(maxBytes);
        return reply;
    }
    void Pause(int ms) override { now += ms; }

    long long now = 0;  // virtual milliseconds
    long long silentUntil = 0;
    bool mute = false;
    bool holdNextReply = false;
    bool copyNextReply = false;
    std::vector<TBytes> sent;

  private:
    TUpdateAgent& agent_;
    std::deque<TBytes> queue_;
    std::vector<TBytes> late_;
    std::vector<TBytes> copies_;
    bool lateArmed_ = false;
};

struct Event {
    EProgressKind kind;
    std::uint32_t value;
    bool operator==(const Event&) const = default;
};

struct Outcome {
    TConversationResult result;
    std::vector<Event> events;
    long long elapsedMs = 0;
};

TUpdateJob MakeJob(std::size_t imageSize, std::size_t pakSize = 0,
                   const std::string& type = "SIP520", const std::string& password = "") {
    TUpdateJob job;
    job.header = testsupport::MakeHeader("V2.7.0", type);
    job.image = testsupport::MakeImage(imageSize, job.header);
    job.pak.assign(pakSize, 0x3C);
    job.password = password;
    return job;
}

TUpdateAgentConfig Agent(const std::string& password = "") {
    TUpdateAgentConfig config;
    config.password = password;
    config.deviceType = "SIP520";
    config.version = "V2.6.0";
    config.restartTime = std::chrono::milliseconds(3000);
    config.keepData = true;
    return config;
}

Outcome Converse(TVirtualLink& link, const TUpdateJob& job) {
    Outcome out;
    TConversation conversation(link, job, TProtocolTimes{},
                               [&](EProgressKind kind, std::uint32_t value) {
                                   out.events.push_back({kind, value});
                               });
    out.result = conversation.Run();
    out.elapsedMs = link.now;
    return out;
}

std::vector<std::uint32_t> Values(const Outcome& o, EProgressKind kind) {
    std::vector<std::uint32_t> values;
    for (const Event& e : o.events)
        if (e.kind == kind) values.push_back(e.value);
    return values;
}

TEST(Conversation, UpdatesA2600ByteImage) {
    TUpdateAgent agent(Agent());
    TVirtualLink link(agent);
    TUpdateJob job = MakeJob(2600);
    Outcome o = Converse(link, job);
    EXPECT_EQ(o.result.result, EUpdateResult::Done);
    EXPECT_EQ(o.result.version, "V2.7.0");  // the version of the image the terminal received
    EXPECT_EQ(Values(o, EProgressKind::Image), (std::vector<std::uint32_t>{49, 98, 100}));
    EXPECT_EQ(agent.Stats().imageAddresses, (std::vector<std::uint16_t>{4, 8, 0}));
    ASSERT_EQ(agent.Image().size(), 3840u);
    EXPECT_TRUE(std::equal(job.image.begin(), job.image.end(), agent.Image().begin()));
    EXPECT_TRUE(std::all_of(agent.Image().begin() + 2600, agent.Image().end(),
                            [](std::uint8_t b) { return b == 0; }));
    // The terminal restarts for 3 s: the query after the 1 s pause goes unanswered (2 s wait),
    // the next one after a 200 ms pause finds it.
    std::vector<Event> tail(o.events.end() - 4, o.events.end());
    EXPECT_EQ(tail, (std::vector<Event>{{EProgressKind::Image, 100},
                                        {EProgressKind::ResetSent, 0},
                                        {EProgressKind::Search, 1},
                                        {EProgressKind::Finished, 0}}));
    EXPECT_EQ(agent.Stats().resets, 1);
    EXPECT_EQ(agent.Stats().logouts, 1);
    EXPECT_EQ(agent.Stats().pakAddresses.size(), 0u);
    EXPECT_EQ(link.sent.back(), LogoutRequest());
}

TEST(Conversation, RepliesDeliveredTwiceAreTakenOnce) {
    TUpdateAgentConfig config = Agent();
    config.duplicateReplies = true;
    TUpdateAgent agent(config);
    TVirtualLink link(agent);
    Outcome o = Converse(link, MakeJob(4000, 1500));
    EXPECT_EQ(o.result.result, EUpdateResult::Done);
    EXPECT_EQ(o.result.version, "V2.7.0");
    EXPECT_EQ(agent.Stats().imageAddresses, (std::vector<std::uint16_t>{4, 8, 12, 0}));
    EXPECT_EQ(agent.Stats().pakAddresses, (std::vector<std::uint16_t>{0, 4}));
}

// The network delivers the login reply twice, the copy only after the query went out.
TEST(Conversation, LateCopyOfTheLoginReplyIsNotTakenForTheQueryAnswer) {
    TUpdateAgent agent(Agent());
    TVirtualLink link(agent);
    link.copyNextReply = true;  // the login's reply
    Outcome o = Converse(link, MakeJob(3000));
    EXPECT_EQ(o.result.result, EUpdateResult::Done);
    EXPECT_EQ(o.result.version, "V2.7.0");
}

// One failure counter per phase, whatever block the failures hit; block 0 counts on its own.
TEST(Conversation, LostAcknowledgementsSpreadOverBlocks) {
    struct Case {
        std::map<std::uint16_t, int> lost;  // address field -> acknowledgements lost
        EUpdateResult expected;
    } cases[] = {
        {{{4, 5}, {8, 5}}, EUpdateResult::Offline},
        {{{4, 4}, {8, 5}}, EUpdateResult::Done},
        {{{4, 9}, {0, 9}}, EUpdateResult::Done},
        {{{0, 10}}, EUpdateResult::Offline},
    };
    for (const Case& c : cases) {
        TUpdateAgentConfig config = Agent();
        config.dropImageAcks = c.lost;
        TUpdateAgent agent(config);
        TVirtualLink link(agent);
        Outcome o = Converse(link, MakeJob(5000));
        EXPECT_EQ(o.result.result, c.expected) << testing::PrintToString(c.lost);
    }
}

TEST(Conversation, SmallImagesSendOnlyBlockZero) {
    for (std::size_t size : {0u, 1u, 1280u}) {
        TUpdateAgent agent(Agent());
        TVirtualLink link(agent);
        Outcome o = Converse(link, MakeJob(size));
        EXPECT_EQ(o.result.result, EUpdateResult::Done) << size;
        EXPECT_EQ(Values(o, EProgressKind::Image), std::vector<std::uint32_t>{100}) << size;
        EXPECT_EQ(agent.Stats().imageAddresses, std::vector<std::uint16_t>{0}) << size;
        // A simulated image too short to begin with a header leaves the version unchanged.
        EXPECT_EQ(o.result.version, size >= kHeaderSize ? "V2.7.0" : "V2.6.0") << size;
    }
}

TEST(Conversation, SendsPakDataAfterTheImage) {
    TUpdateAgent agent(Agent("secret"));
    TVirtualLink link(agent);
    TUpdateJob job = MakeJob(3000, 2500, "SIP520", "secret");
    Outcome o = Converse(link, job);
    EXPECT_EQ(o.result.result, EUpdateResult::Done);
    EXPECT_EQ(Values(o, EProgressKind::Pak), (std::vector<std::uint32_t>{0, 40, 81, 100}));
    EXPECT_EQ(agent.Stats().pakAddresses, (std::vector<std::uint16_t>{0, 4, 8}));
    ASSERT_GE(agent.Pak().size(), 2500u);
    EXPECT_TRUE(std::equal(job.pak.begin(), job.pak.end(), agent.Pak().begin()));
    EXPECT_EQ(agent.Stats().lastPassword, std::string("secret") + std::string(10, '\0'));
}

TEST(Conversation, FailuresEndWithTheirResultCode) {
    struct Case {
        const char* name;
        std::function<void(TUpdateAgentConfig&, bool& mute)> setup;
        std::size_t imageSize;
        EUpdateResult expected;
        int imageBlocksAccepted;
    } cases[] = {
        {"wrong password", [](auto& c, auto&) { c.password = "other"; }, 3000,
         EUpdateResult::LoginFailed, 0},
        {"no answer at all", [](auto&, bool& mute) { mute = true; }, 3000,
         EUpdateResult::LoginFailed, 0},
        {"other device type", [](auto& c, auto&) { c.deviceType = "SIP310"; }, 3000,
         EUpdateResult::WrongDevice, 0},
        {"device type in other case", [](auto& c, auto&) { c.deviceType = "sip520"; }, 3000,
         EUpdateResult::WrongDevice, 0},
        {"device type with a trailing blank", [](auto& c, auto&) { c.deviceType = "SIP520 "; },
         3000, EUpdateResult::WrongDevice, 0},
        {"query unanswered", [](auto& c, auto&) { c.muteQuery = true; }, 3000,
         EUpdateResult::Offline, 0},
        {"nine rejections tolerated", [](auto& c, auto&) { c.rejectBlocks = 9; }, 12800,
         EUpdateResult::Done, 10},
        {"tenth rejection", [](auto& c, auto&) { c.rejectBlocks = 10; }, 12800,
         EUpdateResult::Damaged, 0},
        {"ten lost acknowledgements", [](auto& c, auto&) { c.dropBlockAcks = 10; }, 12800,
         EUpdateResult::Offline, 10},
        {"a loss, then nine rejections: the last attempt decides",
         [](auto& c, auto&) {
             c.rejectBlocks = 10;
             c.dropBlockAcks = 1;
         },
         12800, EUpdateResult::Damaged, 0},
        {"block 0 refused ten times", [](auto& c, auto&) { c.rejectBlocks = 10; }, 1000,
         EUpdateResult::Offline, 0},
        {"no return after reset", [](auto& c, auto&) { c.noReturn = true; }, 3000,
         EUpdateResult::LostAfterReset, 3},
    };
    for (const Case& c : cases) {
        TUpdateAgentConfig config = Agent();
        bool mute = false;
        c.setup(config, mute);
        TUpdateAgent agent(config);
        TVirtualLink link(agent);
        link.mute = mute;
        Outcome o = Converse(link, MakeJob(c.imageSize));
        EXPECT_EQ(o.result.result, c.expected) << c.name;
        EXPECT_EQ(o.events.back(), (Event{EProgressKind::Finished, unsigned(c.expected)}))
            << c.name;
        EXPECT_EQ(int(agent.Stats().imageAddresses.size()), c.imageBlocksAccepted) << c.name;
        EXPECT_EQ(link.sent.back(), LogoutRequest()) << c.name << ": the logout is always sent";
    }
}

// The login's waits, reply by reply: which datagrams end the login, and how.
TEST(Conversation, LoginWaitsAndTheirOutcomes) {
    // Each reply is made from the login request that was sent (for its sequence byte).
    using Reply = std::function<std::optional<TBytes>(const TBytes& login)>;
    auto echo = [](bool rightCrc) {
        return [rightCrc](const TBytes& login) -> std::optional<TBytes> {
            TBytes reply(23, 0);
            reply[7] = login[7];
            reply[8] = 0x11;
            std::uint16_t crc = Crc16(reply.data(), 21);
            if (!rightCrc) crc ^= 0x8000;
            reply[21] = crc & 0xFF;
            reply[22] = crc >> 8;
            return reply;
        };
    };
    auto bytes = [](TBytes b) { return [b](const TBytes&) -> std::optional<TBytes> { return b; }; };
    auto none = [](const TBytes&) -> std::optional<TBytes> { return std::nullopt; };
    TBytes otherNonZero(30, 0);
    otherNonZero[7] = 1;
    struct Case {
        const char* name;
        std::vector<Reply> replies;  // one per login wait
        EUpdateResult expected;      // Offline: logged in, then the query went unanswered
        std::size_t waits;
    } cases[] = {
        {"right echo", {echo(true)}, EUpdateResult::Offline, 1},
        {"echo with a wrong CRC", {echo(false)}, EUpdateResult::LoginFailed, 1},
        {"no reply", {none}, EUpdateResult::LoginFailed, 1},
        {"a datagram of no bytes is no reply",
         {bytes({}), echo(true)},
         EUpdateResult::LoginFailed,
         1},
        {"another datagram with offset 7 zero",
         {bytes(TBytes(30, 0)), echo(true)},
         EUpdateResult::LoginFailed,
         1},
        {"other datagrams are ignored",
         {bytes(otherNonZero), bytes({1, 2, 3}), echo(true)},
         EUpdateResult::Offline,
         3},
    };
    struct Scripted : IUpdateLink {
        std::vector<Reply> replies;
        std::vector<TBytes> sent;
        std::size_t loginWaits = 0;
        void Send(const TBytes& d) override { sent.push_back(d); }
        void DiscardWaiting() override {}
        std::optional<TBytes> Receive(int, std::size_t maxBytes) override {
            if (sent.size() != 1 || loginWaits == replies.size()) return std::nullopt;
            EXPECT_EQ(maxBytes, 1023u) << "login replies are taken up to 1023 bytes";
            return replies[loginWaits++](sent[0]);
        }
        void Pause(int) override {}
    };
    for (const Case& c : cases) {
        Scripted link;
        link.replies = c.replies;
        TUpdateJob job = MakeJob(100);
        TConversation conversation(link, job, TProtocolTimes{},
                                   [](EProgressKind, std::uint32_t) {});
        EXPECT_EQ(conversation.Run().result, c.expected) << c.name;
        EXPECT_EQ(link.loginWaits, c.waits) << c.name;
        EXPECT_EQ(link.sent.front().size(), 42u) << c.name << ": the login is sent once";
        EXPECT_EQ(link.sent.back(), LogoutRequest()) << c.name;
    }
}

TEST(Conversation, SilentTerminalCostsOneLoginWaitAndOneLogoutWait) {
    TUpdateAgent agent(Agent());
    TVirtualLink link(agent);
    link.mute = true;
    Outcome o = Converse(link, MakeJob(100));
    EXPECT_EQ(o.result.result, EUpdateResult::LoginFailed);
    EXPECT_EQ(o.elapsedMs, 4000);
    EXPECT_EQ(link.sent.size(), 2u);
}

TEST(Conversation, TerminalLostAfterResetIsSearchedFifteenTimes) {
    TUpdateAgentConfig config = Agent();
    config.noReturn = true;
    TUpdateAgent agent(config);
    TVirtualLink link(agent);
    Outcome o = Converse(link, MakeJob(100));
    EXPECT_EQ(o.result.result, EUpdateResult::LostAfterReset);
    std::vector<std::uint32_t> expected;
    for (std::uint32_t i = 1; i <= 15; ++i)
        expected.push_back(i);
    EXPECT_EQ(Values(o, EProgressKind::Search), expected);
    // Reset reply (answered), 1000 ms pause, 15 x (2000 + 200) ms, the logout's 2000 ms.
    EXPECT_EQ(o.elapsedMs, 1000 + 15 * 2200 + 2000);
}

TEST(Conversation, LateAcknowledgementCountsForTheBlockJustSent) {
    TUpdateAgent agent(Agent());
    TVirtualLink link(agent);
    TUpdateJob job = MakeJob(3000);
    Outcome o;
    int blocksSent = 0;
    // Hold back the acknowledgement of the first image block: its wait times out, the block is
    // sent again, and the late acknowledgement is taken for the repeat.
    struct Hold : IUpdateLink {
        TVirtualLink& inner;
        int& blocks;
        Hold(TVirtualLink& l, int& b) : inner(l), blocks(b) {}
        void Send(const TBytes& d) override {
            if (d.size() == 1286 && blocks++ == 0) inner.holdNextReply = true;
            inner.Send(d);
        }
        void DiscardWaiting() override { inner.DiscardWaiting(); }
        std::optional<TBytes> Receive(int t, std::size_t m) override { return inner.Receive(t, m); }
        void Pause(int ms) override { inner.Pause(ms); }
    } hold(link, blocksSent);
    TConversation held(hold, job, TProtocolTimes{}, [&](EProgressKind kind, std::uint32_t value) {
        o.events.push_back({kind, value});
    });
    o.result = held.Run();
    EXPECT_EQ(o.result.result, EUpdateResult::Done);
    EXPECT_EQ(Values(o, EProgressKind::Image), (std::vector<std::uint32_t>{42, 85, 100}));
    EXPECT_EQ(agent.Stats().imageAddresses, (std::vector<std::uint16_t>{4, 4, 8, 0}));
}

TEST(Conversation, LongRepliesAreCutAndIgnoredGarbageDoesNotCrash) {
    // The agent ignores malformed requests and never crashes on them.
    TUpdateAgent agent(Agent());
    for (std::size_t size : {0u, 1u, 4u, 5u, 10u, 42u, 1030u, 1286u, 3000u}) {
        TBytes garbage(size, 0xFA);
        termsim::TAgentOutput out = agent.Handle(garbage);
        for (const auto& reply : out.replies)
            EXPECT_LE(reply.size(), 33u);
    }
    EXPECT_GT(agent.Stats().ignored, 0);
    EXPECT_EQ(agent.Stats().logins, 0);
    EXPECT_EQ(agent.Stats().imageAddresses.size(), 0u) << "blocks before a login are refused";
}

}  // namespace
