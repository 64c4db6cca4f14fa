// termsim: runs a fleet of simulated terminals on loopback until it is asked to stop (SIGINT or
// SIGTERM, Ctrl+C on Windows).
#include <cstdio>
#include <string>
#include <vector>

#include "common/platform/stoprequest.h"
#include "termsim/hostagent.h"
#include "termsim/options.h"
#include "termsim/update/fleetagent.h"

int main(int argc, char** argv) {
    termsim::CommandLine cmd;
    std::string error;
    if (!termsim::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc), &cmd, &error)) {
        std::fprintf(stderr, "termsim: %s\n%s", error.c_str(), termsim::UsageText());
        return 2;
    }
    if (cmd.help) {
        std::fputs(termsim::UsageText(), stdout);
        return 0;
    }
    // Before the fleet's threads start, so that the request reaches the wait below.
    CatchStopRequests();

    if (cmd.updateAgent) {
        termsim::TUpdateAgentConfig update;
        update.password = cmd.updatePassword;
        update.deviceType = cmd.updateDeviceType;
        update.restartTime = cmd.fleet.restartTime;
        cmd.fleet.agents.push_back(termsim::UpdateAgentFactory(update));
    }
    if (cmd.hostAgent)
        cmd.fleet.agents.push_back(
            termsim::HostAgentFactory(std::make_shared<termsim::THostTableStore>()));
    termsim::Fleet fleet(cmd.fleet);
    if (!fleet.Start(&error)) {
        std::fprintf(stderr, "termsim: %s\n", error.c_str());
        return 1;
    }
    for (int index : cmd.muteTerminals) {
        termsim::Faults faults = fleet.State(index).faults;
        faults.mute = true;
        fleet.SetFaults(index, faults);
    }
    std::printf("ready %d\n", fleet.Count());
    std::fflush(stdout);
    AwaitStopRequest();
    fleet.Stop();
    return 0;
}
