// Simulated terminals with host-table agents, for the download's tests and benchmark.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "termsim/fleet.h"
#include "termsim/hostagent.h"

struct THostFleet {
    std::shared_ptr<termsim::THostTableStore> store = std::make_shared<termsim::THostTableStore>();
    std::unique_ptr<termsim::Fleet> fleet;

    // count terminals from firstAddress on, models cycled; false with a message on failure.
    bool Start(std::uint32_t firstAddress, int count, std::vector<std::string> models,
               std::string* error) {
        termsim::FleetOptions options;
        options.count = count;
        options.firstAddress = firstAddress;
        options.models = std::move(models);
        options.agents.push_back(termsim::HostAgentFactory(store));
        fleet = std::make_unique<termsim::Fleet>(options);
        return fleet->Start(error);
    }

    // Waits until terminal index has taken in that many datagrams on its host-table port and has
    // finished answering them, so that its replies have left; false when the bound passes first.
    bool AwaitHandled(int index, int datagrams,
                      std::chrono::milliseconds bound = std::chrono::seconds(30)) const {
        const auto until = std::chrono::steady_clock::now() + bound;
        while (store->Terminal(index).datagrams < datagrams) {
            if (std::chrono::steady_clock::now() >= until) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        SettleLoop();
        return true;
    }

    // Returns once the fleet's loop has finished what it is handling: the fleet's calls take the
    // loop's lock, which an agent holds while it answers.
    void SettleLoop() const { (void)fleet->Count(); }
};
