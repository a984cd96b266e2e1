#include "platform/agents/mdm_agent.h"

#include "sim/client/agent_support.h"

ORVSIM_DEFINE_AGENT_MEMBERS(MDMAgent)

void MDMAgent::Reinit() {
    orvsim::TraceCall("MDMAgent", "Reinit");
}
