#include "platform/agents/app_provisioning_agent.h"

#include "sim/client/agent_support.h"

namespace {

constexpr char kComponent[] = "AppProvisioningAgent";

orvsim::client::OwnedInstance<AppProvisioningAgent>& Instance() {
    static orvsim::client::OwnedInstance<AppProvisioningAgent> instance;
    return instance;
}

}  // namespace

AppProvisioningAgent* AppProvisioningAgent::GetInstance() {
    return orvsim::client::GetAgentInstance(kComponent, Instance(),
                                            [] { return new AppProvisioningAgent(); });
}

AppProvisioningAgent::AppProvisioningAgent() : IORVAgent(L"AppProvisioningAgent") {
    orvsim::client::AgentCreated(this);
}

AppProvisioningAgent::~AppProvisioningAgent() {
    orvsim::client::AgentDestroyed(this);
    Instance().Forget(this);
}

bool AppProvisioningAgent::Init() {
    return orvsim::client::TrackedInit(this, [this] { return IORVAgent::Init(); });
}
