#include "platform/agents/deploy_agent.h"

#include "sim/client/agent_support.h"

ORVSIM_DEFINE_AGENT_MEMBERS(DeployAgent)
