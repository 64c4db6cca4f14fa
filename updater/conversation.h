// One update conversation with one terminal: login, compatibility query, image blocks, pak
// blocks, reset, rediscovery, logout. Runs on a worker thread; Qt-free.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <random>
#include <string>

#include "updater/protocol.h"
#include "updater/updatejob.h"

// The datagram path to one terminal's update agent.
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

class TConversation {
  public:
    using ProgressFn = std::function<void(EProgressKind, std::uint32_t value)>;

    TConversation(IUpdateLink& link, const TUpdateJob& job, TProtocolTimes times,
                  ProgressFn progress);

    // Steps 1 to 8 once; reports exactly one Finished event at the end.
    TConversationResult Run();

  private:
    bool Login();
    std::optional<EUpdateResult> CheckDevice();
    std::optional<EUpdateResult> SendBlocks(EProgressKind kind);
    std::optional<EUpdateResult> SendImageBlockZero();
    std::optional<std::string> Rediscover();
    void Logout();
    // Every request goes out on an emptied socket.
    void Request(const TBytes& datagram);

    IUpdateLink& link_;
    const TUpdateJob& job_;
    TProtocolTimes times_;
    ProgressFn progress_;
    std::mt19937 random_;
    TBytes block_;  // the block being sent, built in place from the shared job
};
