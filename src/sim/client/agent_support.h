#pragma once
// What the agents of this library share: their GetInstance and their traced Init.

#include <string_view>

#include "platform/common_base/orv_agent.h"
#include "sim/client/full_init_announcer.h"
#include "sim/client/owned_instance.h"
#include "sim/common_base/agent_control.h"
#include "sim/trace.h"

namespace orvsim::client {

// GetInstance of a singleton agent owned by its caller: traced; null when arranged missing.
template <class Agent, class Make>
Agent* GetAgentInstance(std::string_view component, OwnedInstance<Agent>& slot, Make&& make) {
    const bool missing = IsInstanceMissing(component);
    TraceCall(component, "GetInstance", missing ? "null" : "instance");
    return missing ? nullptr : slot.Get(make);
}

// Runs the common base's Init (which traces, waits and fails as arranged) and tells the
// full-init announcer that this agent's Init has been tried, also when it throws.
template <class BaseInit>
bool TrackedInit(const IORVAgent* agent, BaseInit&& baseInit) {
    struct Tried {
        const IORVAgent* agent;
        ~Tried() { AgentInitTried(agent); }
    } tried{agent};
    return baseInit();
}

}  // namespace orvsim::client
