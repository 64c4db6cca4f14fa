// The update agent as one of a fleet terminal's agents (port 65276 of its address).
#pragma once

#include "termsim/agent.h"
#include "termsim/update/updateagent.h"

namespace termsim {

// Creates the update agent of each terminal. Empty deviceType and version in base are taken
// from the terminal (its model and firmware); a reset restarts the terminal through the fleet
// and writes the new firmware into its parameter block.
AgentFactory UpdateAgentFactory(TUpdateAgentConfig base);

}  // namespace termsim
