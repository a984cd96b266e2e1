#include "platform/agents/data_sync_agent.h"

#include "sim/client/agent_support.h"

ORVSIM_DEFINE_AGENT_MEMBERS(DataSyncAgent)
