// Serves update agents on their own sockets (127.x addresses only) from one thread: for tests
// and benchmarks that need terminals without the whole fleet.
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
    TUpdateAgentRunner();
    ~TUpdateAgentRunner();  // stops the thread and closes the sockets
    TUpdateAgentRunner(const TUpdateAgentRunner&) = delete;
    TUpdateAgentRunner& operator=(const TUpdateAgentRunner&) = delete;

    // Adds an agent on address:port (host order; must be in 127.0.0.0/8); before Start. Each
    // reply is lost with the chance lossRate. Returns the agent's index.
    int Add(std::uint32_t address, std::uint16_t port, TUpdateAgentConfig config,
            double lossRate = 0.0);
    // Binds every socket and starts the thread; false with a message when a bind fails.
    bool Start(std::string* error);
    void Stop();

    // Runs fn(const TUpdateAgent&) under the runner's lock.
    template <typename Fn>
    auto With(int index, Fn fn) const {
        std::lock_guard<std::mutex> lock(mutex_);
        return fn(Agent(index));
    }

    // When an agent first heard from the updater and when it was last told to reset.
    struct Timeline {
        std::chrono::steady_clock::time_point firstDatagram, reset;
    };
    Timeline TimelineOf(int index) const;

    struct Served;

  private:
    const TUpdateAgent& Agent(int index) const;
    void Loop();

    std::vector<std::unique_ptr<Served>> served_;
    mutable std::mutex mutex_;
    int epoll_ = -1;
    int wake_[2] = {-1, -1};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace termsim
