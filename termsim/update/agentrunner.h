// Serves update agents on their own sockets (127.x addresses only) from one or a few threads:
// for tests and benchmarks that need terminals without the whole fleet.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "termsim/update/updateagent.h"

namespace termsim {

class TUpdateAgentRunner {
  public:
    // threads: loop threads; the agents are spread over them (benchmarks of many terminals).
    explicit TUpdateAgentRunner(int threads = 1);
    ~TUpdateAgentRunner();  // stops the threads and closes the sockets
    TUpdateAgentRunner(const TUpdateAgentRunner&) = delete;
    TUpdateAgentRunner& operator=(const TUpdateAgentRunner&) = delete;

    // Adds an agent on address:port (host order; must be in 127.0.0.0/8); before Start. Each
    // reply is lost with the chance lossRate. Returns the agent's index.
    int Add(std::uint32_t address, std::uint16_t port, TUpdateAgentConfig config,
            double lossRate = 0.0);
    // Binds every socket and starts the threads; false with a message when a bind fails.
    bool Start(std::string* error);
    void Stop();

    // Runs fn(const TUpdateAgent&) under the agent's lock.
    template <typename Fn>
    auto With(int index, Fn fn) const {
        std::lock_guard<std::mutex> lock(MutexOf(index));
        return fn(Agent(index));
    }

    // When an agent first heard from the updater and when it was last told to reset.
    struct Timeline {
        std::chrono::steady_clock::time_point firstDatagram, reset;
    };
    Timeline TimelineOf(int index) const;

    struct Served;
    struct EventLoop;

  private:
    const TUpdateAgent& Agent(int index) const;
    std::mutex& MutexOf(int index) const;
    void Serve(Served& served);

    std::vector<std::unique_ptr<Served>> served_;
    std::vector<std::unique_ptr<EventLoop>> loops_;
    std::atomic<bool> stop_{false};
};

}  // namespace termsim
