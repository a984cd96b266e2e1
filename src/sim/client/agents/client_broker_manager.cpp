#include "platform/agents/client_broker_manager.h"

#include "sim/client/agent_support.h"

ORVSIM_DEFINE_AGENT_MEMBERS(ClientBrokerManager)
