// The event-driven engine: many conversations on two threads against simulated terminals on
// 127.N.36.x, each ending as the same conversation on its own blocking link ends, with the same
// progress events.
#include <gtest/gtest.h>

#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

#include "termsim/update/agentrunner.h"
#include "testsupport.h"
#include "updater/engine.h"
#include "updater/udplink.h"

namespace {

using termsim::TUpdateAgentConfig;
using termsim::TUpdateAgentRunner;
using testsupport::Loopback;

// Replies on loopback come far sooner than the reply wait even on a loaded machine; the cases keep
// the waits that are meant to expire few, since each costs a whole wait.
constexpr TProtocolTimes kTimes{2000, 50, 20};

struct Event {
    EProgressKind kind;
    std::uint32_t value;
    bool operator==(const Event&) const = default;
};

// Every event of every conversation, by address, from the engine's threads.
class TRecorder {
  public:
    void Report(std::uint32_t address, EProgressKind kind, std::uint32_t value) {
        std::lock_guard<std::mutex> lock(mutex_);
        events_[address].push_back({kind, value});
        if (kind == EProgressKind::Finished) ++finished_;
        changed_.notify_all();
    }
    bool WaitFinished(std::size_t count) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(90),
                                 [&] { return finished_ >= count; });
    }
    std::vector<Event> Of(std::uint32_t address) {
        std::lock_guard<std::mutex> lock(mutex_);
        return events_[address];
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::map<std::uint32_t, std::vector<Event>> events_;
    std::size_t finished_ = 0;
};

// The events of the same conversation over a blocking link, repeats of a value left out as the
// engine leaves them out.
std::vector<Event> BlockingEvents(std::uint32_t address, const TUpdateJob& job,
                                  std::string* version) {
    TUdpSocket socket;
    socket.BindFirstFree(kFirstLocalPort, kLastLocalPort);
    TUdpUpdateLink link(socket, address, job.agentPort);
    std::vector<Event> events;
    TConversation conversation(link, job, kTimes, [&](EProgressKind kind, std::uint32_t value) {
        if (kind == EProgressKind::Finished || events.empty() ||
            !(events.back() == Event{kind, value}))
            events.push_back({kind, value});
    });
    *version = conversation.Run().version;
    return events;
}

TEST(Engine, ConversationsEndAsOnABlockingLink) {
    struct Case {
        const char* name;
        std::function<void(TUpdateAgentConfig&)> fault;
        EUpdateResult expected;
    } cases[] = {
        {"healthy", [](auto&) {}, EUpdateResult::Done},
        {"replies twice", [](auto& c) { c.duplicateReplies = true; }, EUpdateResult::Done},
        {"stray replies from another port", [](auto& c) { c.strayReplies = true; },
         EUpdateResult::Done},
        // One failure counter for refusals and lost acknowledgements of every block: the ninth
        // failure is survived, the tenth (a lost acknowledgement) ends the conversation.
        {"7 refusals and 2 lost acknowledgements",
         [](auto& c) {
             c.rejectBlocks = 7;
             c.dropImageAcks = {{8, 2}};
         },
         EUpdateResult::Done},
        {"7 refusals and 3 lost acknowledgements",
         [](auto& c) {
             c.rejectBlocks = 7;
             c.dropImageAcks = {{8, 3}};
         },
         EUpdateResult::Offline},
        {"wrong password", [](auto& c) { c.password = "nope"; }, EUpdateResult::LoginFailed},
        {"wrong device type", [](auto& c) { c.deviceType = "SIP650"; }, EUpdateResult::WrongDevice},
        {"query unanswered", [](auto& c) { c.muteQuery = true; }, EUpdateResult::Offline},
        {"rejected ten times", [](auto& c) { c.rejectBlocks = 10; }, EUpdateResult::Damaged},
        {"no return after reset", [](auto& c) { c.noReturn = true; },
         EUpdateResult::LostAfterReset},
    };
    constexpr int kCopies = 4;  // conversations of each case at once on the engine
    TUpdateJob jobData;
    jobData.header = testsupport::MakeHeader("V2.8.3", "SIP430");
    jobData.image = testsupport::MakeImage(20000, jobData.header);
    jobData.pak.assign(3000, 0x77);
    jobData.password = "1234";
    auto job = std::make_shared<const TUpdateJob>(jobData);

    TUpdateAgentRunner runner(2);
    std::vector<std::uint32_t> addresses;  // per case: kCopies for the engine, one blocking
    for (const Case& c : cases) {
        for (int copy = 0; copy <= kCopies; ++copy) {
            TUpdateAgentConfig config;
            config.password = "1234";
            config.deviceType = "SIP430";
            config.version = "V2.5.0";
            config.restartTime = {};  // back at once: no race with the reset pause
            c.fault(config);
            addresses.push_back(Loopback(36, unsigned(addresses.size() + 1)));
            runner.Add(addresses.back(), 65276, config);
        }
    }
    std::string error;
    ASSERT_TRUE(runner.Start(&error)) << error;

    TRecorder recorder;
    TConversationEngine engine(
        kTimes,
        [&](std::uint32_t address, EProgressKind kind, std::uint32_t value) {
            recorder.Report(address, kind, value);
        },
        2);
    std::size_t started = 0;
    for (std::size_t i = 0; i < addresses.size(); ++i)
        if (i % (kCopies + 1) != kCopies) {
            engine.Start(addresses[i], job);
            ++started;
        }
    // Meanwhile the reference conversations, each on a thread of its own so that the test takes
    // as long as its slowest case rather than the sum of all.
    std::vector<std::vector<Event>> expected(std::size(cases));
    std::vector<std::string> expectedVersions(std::size(cases));
    {
        std::vector<std::jthread> references;
        for (std::size_t c = 0; c < std::size(cases); ++c)
            references.emplace_back([&, c] {
                expected[c] = BlockingEvents(addresses[c * (kCopies + 1) + kCopies], *job,
                                             &expectedVersions[c]);
            });
    }
    ASSERT_TRUE(recorder.WaitFinished(started));
    for (std::size_t c = 0; c < std::size(cases); ++c) {
        ASSERT_EQ(expected[c].back(), (Event{EProgressKind::Finished, unsigned(cases[c].expected)}))
            << cases[c].name << ": the blocking reference";
        for (int copy = 0; copy < kCopies; ++copy) {
            const std::uint32_t address = addresses[c * (kCopies + 1) + std::size_t(copy)];
            EXPECT_EQ(recorder.Of(address), expected[c]) << cases[c].name;
            EXPECT_EQ(engine.Reap(address), expectedVersions[c]) << cases[c].name;
            runner.With(int(c * (kCopies + 1)) + copy, [&](const termsim::TUpdateAgent& a) {
                // A terminal that never comes back does not hear the logout.
                EXPECT_EQ(a.Stats().logouts, cases[c].expected != EUpdateResult::LostAfterReset)
                    << cases[c].name;
            });
        }
    }
    EXPECT_TRUE(engine.Idle());
}

TEST(Engine, SilentTerminalCostsOneLoginWaitAndOneLogoutWait) {
    TRecorder recorder;
    TConversationEngine engine(
        {400, 50, 20},
        [&](std::uint32_t address, EProgressKind kind, std::uint32_t value) {
            recorder.Report(address, kind, value);
        },
        1);
    const auto start = std::chrono::steady_clock::now();
    engine.Start(Loopback(36, 200), std::make_shared<const TUpdateJob>());
    ASSERT_TRUE(recorder.WaitFinished(1));
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(
        recorder.Of(Loopback(36, 200)),
        (std::vector<Event>{{EProgressKind::Finished, unsigned(EUpdateResult::LoginFailed)}}));
    EXPECT_GE(took, std::chrono::milliseconds(800));
    EXPECT_EQ(engine.Reap(Loopback(36, 200)), "");
    EXPECT_EQ(engine.Reap(Loopback(36, 201)), "") << "an unknown address";
}

}  // namespace
