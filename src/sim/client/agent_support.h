#pragma once
// What the agents of this library share: their GetInstance and their traced Init.

#include <string_view>

#include "base/scope_exit.h"
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
    const orvbase::ScopeExit tried([agent] { AgentInitTried(agent); });
    return baseInit();
}

}  // namespace orvsim::client

// The members of an agent stand-in that has no behaviour beyond the common base's: the one
// instance its caller owns, GetInstance, a constructor and destructor that tell the full-init
// announcer, and a tracked Init. `Agent` is the class as src/platform declares it (write the
// macro inside its namespace); its name is also its component in the trace and its name in
// the log.
// NOLINTBEGIN(bugprone-macro-parentheses): `Agent` names a class.
#define ORVSIM_DEFINE_AGENT_MEMBERS(Agent)                                              \
    namespace {                                                                         \
    orvsim::client::OwnedInstance<Agent>& TheInstance() {                               \
        static orvsim::client::OwnedInstance<Agent> instance;                           \
        return instance;                                                                \
    }                                                                                   \
    }                                                                                   \
    Agent* Agent::GetInstance() {                                                       \
        return orvsim::client::GetAgentInstance(#Agent, TheInstance(),                  \
                                                [] { return new Agent(); });            \
    }                                                                                   \
    Agent::Agent() : IORVAgent(L"" #Agent) {                                            \
        orvsim::client::AgentCreated(this);                                             \
    }                                                                                   \
    Agent::~Agent() {                                                                   \
        orvsim::client::AgentDestroyed(this);                                           \
        TheInstance().Forget(this);                                                     \
    }                                                                                   \
    bool Agent::Init() {                                                                \
        return orvsim::client::TrackedInit(this, [this] { return IORVAgent::Init(); }); \
    }
// NOLINTEND(bugprone-macro-parentheses)
