// Simulated terminals with host-table agents, for the download's tests and benchmark.
#pragma once

#include <memory>
#include <string>
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
};
