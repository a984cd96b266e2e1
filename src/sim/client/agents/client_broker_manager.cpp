#include "platform/agents/client_broker_manager.h"

#include "sim/client/agent_support.h"

namespace {

constexpr char kComponent[] = "ClientBrokerManager";

orvsim::client::OwnedInstance<ClientBrokerManager>& Instance() {
    static orvsim::client::OwnedInstance<ClientBrokerManager> instance;
    return instance;
}

}  // namespace

ClientBrokerManager* ClientBrokerManager::GetInstance() {
    return orvsim::client::GetAgentInstance(kComponent, Instance(),
                                            [] { return new ClientBrokerManager(); });
}

ClientBrokerManager::ClientBrokerManager() : IORVAgent(L"ClientBrokerManager") {
    orvsim::client::AgentCreated(this);
}

ClientBrokerManager::~ClientBrokerManager() {
    orvsim::client::AgentDestroyed(this);
    Instance().Forget(this);
}

bool ClientBrokerManager::Init() {
    return orvsim::client::TrackedInit(this, [this] { return IORVAgent::Init(); });
}
