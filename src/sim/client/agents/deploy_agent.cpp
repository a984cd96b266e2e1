#include "platform/agents/deploy_agent.h"

#include "sim/client/agent_support.h"

namespace {

constexpr char kComponent[] = "DeployAgent";

orvsim::client::OwnedInstance<DeployAgent>& Instance() {
    static orvsim::client::OwnedInstance<DeployAgent> instance;
    return instance;
}

}  // namespace

DeployAgent* DeployAgent::GetInstance() {
    return orvsim::client::GetAgentInstance(kComponent, Instance(),
                                            [] { return new DeployAgent(); });
}

DeployAgent::DeployAgent() : IORVAgent(L"DeployAgent") {
    orvsim::client::AgentCreated(this);
}

DeployAgent::~DeployAgent() {
    orvsim::client::AgentDestroyed(this);
    Instance().Forget(this);
}

bool DeployAgent::Init() {
    return orvsim::client::TrackedInit(this, [this] { return IORVAgent::Init(); });
}
