// One update conversation with one terminal: login, compatibility query, image blocks, pak
// blocks, reset, rediscovery, logout. The steps are a state machine that says what to do next
// (send and wait, wait again, pause, finished) and is told what happened (a reply, a wait that
// ended without one, a pause that is over); a driver does the waiting. The event-driven engine
// drives many machines on a few threads; TConversation drives one over a blocking link.
// Qt-free.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <random>
#include <span>
#include <string>

#include "updater/protocol.h"
#include "updater/updatejob.h"

// The protocol's waits. Tests shorten them; the program uses these values.
struct TProtocolTimes {
    int replyWaitMs = 2000;
    int resetPauseMs = 1000;
    int searchPauseMs = 200;
};

// Progress kinds, numbered as they travel in the progress message.
enum class EProgressKind : std::uint8_t {
    Image = 1,
    ResetSent = 2,
    Search = 3,
    Finished = 4,
    Pak = 5,
};

struct TConversationResult {
    EUpdateResult result = EUpdateResult::Done;
    std::string version;  // device bytes reported after the update (result Done only)
};

// What the conversation does next.
struct TConversationAction {
    enum class EKind {
        SendAndWait,  // drop the datagrams waiting, send datagram, wait up to ms for one reply
        Wait,         // wait up to ms for one more reply, without sending
        Pause,        // nothing for ms
        Finished,     // Result() holds the outcome; the Finished progress event was reported
    };
    EKind kind = EKind::Finished;
    const TBytes* datagram = nullptr;  // SendAndWait: valid until the machine is called again
    int ms = 0;
    std::size_t maxBytes = 0;  // longer replies are cut to this
};

class TConversationMachine {
  public:
    using ProgressFn = std::function<void(EProgressKind, std::uint32_t value)>;

    TConversationMachine(const TUpdateJob& job, TProtocolTimes times, ProgressFn progress);

    TConversationAction Begin();
    // The reply that ended a wait (cut to its maxBytes), or nullptr when the wait ended without
    // one. A datagram of no bytes is a reply of length 0.
    TConversationAction OnReply(const TBytes* reply);
    TConversationAction OnPauseOver();

    const TConversationResult& Result() const { return result_; }

  private:
    enum class EStep {
        Login,
        Query,
        Blocks,
        BlockZero,
        Reset,
        ResetPause,
        Search,
        SearchPause,
        Logout,
        Done
    };

    TConversationAction Send(const TBytes& datagram, std::size_t maxBytes);
    TConversationAction StartBlocks(EProgressKind kind);
    TConversationAction SendBlock();
    TConversationAction AfterBlocks();
    TConversationAction SendBlockZero();
    TConversationAction StartReset();
    TConversationAction SendSearch();
    TConversationAction Fail(EUpdateResult result);
    TConversationAction Finish();

    const TUpdateJob& job_;
    TProtocolTimes times_;
    ProgressFn progress_;
    std::mt19937 random_;
    EStep step_ = EStep::Login;
    std::uint8_t sequence_ = 0;
    EProgressKind phase_ = EProgressKind::Image;  // image or pak blocks
    std::size_t block_k_ = 0;
    int failures_ = 0;  // of the current phase
    int attempt_ = 0;   // rediscovery
    TBytes packet_;     // the request being sent, built in place from the shared job
    TConversationResult result_;
};

// The datagram path to one terminal's update agent, for a conversation on a blocking link.
class IUpdateLink {
  public:
    virtual ~IUpdateLink() = default;
    virtual void Send(const TBytes& datagram) = 0;
    // Drops the datagrams that arrived before a new request: a late or repeated reply to an
    // earlier one must not be taken as the answer to the next.
    virtual void DiscardWaiting() = 0;
    // One datagram from the terminal within timeoutMs, truncated to maxBytes; nullopt if none.
    virtual std::optional<TBytes> Receive(int timeoutMs, std::size_t maxBytes) = 0;
    virtual void Pause(int ms) = 0;
};

// One conversation on the calling thread over a blocking link (tests, measurements).
class TConversation {
  public:
    using ProgressFn = TConversationMachine::ProgressFn;

    TConversation(IUpdateLink& link, const TUpdateJob& job, TProtocolTimes times,
                  ProgressFn progress)
        : link_(link), machine_(job, times, std::move(progress)) {}

    // Steps 1 to 8 once; reports exactly one Finished event at the end.
    TConversationResult Run();

  private:
    IUpdateLink& link_;
    TConversationMachine machine_;
};
