#include "platform/agents/mdm_agent.h"

#include "sim/client/agent_support.h"

namespace {

constexpr char kComponent[] = "MDMAgent";

orvsim::client::OwnedInstance<MDMAgent>& Instance() {
    static orvsim::client::OwnedInstance<MDMAgent> instance;
    return instance;
}

}  // namespace

MDMAgent* MDMAgent::GetInstance() {
    return orvsim::client::GetAgentInstance(kComponent, Instance(), [] { return new MDMAgent(); });
}

MDMAgent::MDMAgent() : IORVAgent(L"MDMAgent") {
    orvsim::client::AgentCreated(this);
}

MDMAgent::~MDMAgent() {
    orvsim::client::AgentDestroyed(this);
    Instance().Forget(this);
}

bool MDMAgent::Init() {
    return orvsim::client::TrackedInit(this, [this] { return IORVAgent::Init(); });
}

void MDMAgent::Reinit() {
    orvsim::TraceCall(kComponent, "Reinit");
}
