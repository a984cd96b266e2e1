#include "platform/agents/app_provisioning_agent.h"

#include "sim/client/agent_support.h"

ORVSIM_DEFINE_AGENT_MEMBERS(AppProvisioningAgent)
