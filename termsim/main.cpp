// termsim: runs a fleet of simulated terminals on loopback until SIGINT or SIGTERM.
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

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
    // Blocked before the loop thread starts, so only sigwait below sees the signals.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

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
    int received = 0;
    sigwait(&signals, &received);
    fleet.Stop();
    return 0;
}
