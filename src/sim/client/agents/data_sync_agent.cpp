#include "platform/agents/data_sync_agent.h"

#include "sim/client/agent_support.h"

namespace {

constexpr char kComponent[] = "DataSyncAgent";

orvsim::client::OwnedInstance<DataSyncAgent>& Instance() {
    static orvsim::client::OwnedInstance<DataSyncAgent> instance;
    return instance;
}

}  // namespace

DataSyncAgent* DataSyncAgent::GetInstance() {
    return orvsim::client::GetAgentInstance(kComponent, Instance(),
                                            [] { return new DataSyncAgent(); });
}

DataSyncAgent::DataSyncAgent() : IORVAgent(L"DataSyncAgent") {
    orvsim::client::AgentCreated(this);
}

DataSyncAgent::~DataSyncAgent() {
    orvsim::client::AgentDestroyed(this);
    Instance().Forget(this);
}

bool DataSyncAgent::Init() {
    return orvsim::client::TrackedInit(this, [this] { return IORVAgent::Init(); });
}
