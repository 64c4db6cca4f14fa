// The library's side of the device-access protocol: one UDP socket per call.
#pragma once

#include <chrono>
#include <cstdint>
#include <span>
#include <vector>

#include "common/udpsocket.h"
#include "kvsetup/kvproto.h"

namespace kvsetup {

struct Timing {
    std::chrono::milliseconds searchWindow{1000};  // a search, or finding a MAC, ends after this
    std::chrono::milliseconds attemptWait{400};    // one unicast attempt waits this long
    int attempts = 3;                              // unicast sends of the same request
};

// KVSETUP_SEARCH_MS and KVSETUP_ATTEMPT_MS (100 to 10000 each) override the search window and
// the wait of one attempt.
Timing CurrentTiming();

struct Found {
    std::uint32_t address = 0;  // where the answer came from (host order)
    std::array<std::uint8_t, kvproto::kRecordSize> record{};
};

class Client {
  public:
    Client();
    ~Client();
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;
    bool Ok() const { return ok_; }

    // Probes every target in bursts and collects answers until the window closes or every target
    // has answered or is known to be unreachable; targets still silent halfway through the window
    // are probed once more. A non-zero mac asks only that terminal; firstOnly ends at its answer.
    // Answers are de-duplicated by MAC and ordered by address.
    std::vector<Found> Probe(const std::vector<std::uint32_t>& targets, const kvproto::Mac& mac,
                             std::chrono::milliseconds window, bool firstOnly);

    // One request to one address, sent up to timing.attempts times; returns the terminal's
    // result, or kNoAnswer. Only replies from the sources count. A reply payload (record, block)
    // is copied to out, which must have the size the reply carries.
    std::int32_t Request(std::uint32_t address, const std::vector<std::uint32_t>& sources,
                         kvproto::Kind kind, const kvproto::Mac& mac,
                         std::span<const std::uint8_t> payload, std::span<std::uint8_t> out,
                         const Timing& timing);

  private:
    struct Reply;
    bool Send(std::uint32_t address, const std::vector<std::uint8_t>& bytes);
    // Waits up to the deadline for one event; returns the replies read and the addresses found
    // unreachable.
    void Wait(std::chrono::steady_clock::time_point deadline, std::vector<Reply>* replies,
              std::vector<std::uint32_t>* unreachable);

    TUdpSocket socket_;
    bool ok_ = false;
};

// A request id nobody else can predict.
std::uint32_t NewRequestId();

}  // namespace kvsetup
