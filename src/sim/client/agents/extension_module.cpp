#include "platform/agents/extension_module.h"

#include "sim/client/agent_support.h"

namespace ORV {

namespace {

constexpr char kComponent[] = "ExtensionModule";

orvsim::client::OwnedInstance<ExtensionModule>& Instance() {
    static orvsim::client::OwnedInstance<ExtensionModule> instance;
    return instance;
}

}  // namespace

ExtensionModule* ExtensionModule::GetInstance() {
    return orvsim::client::GetAgentInstance(kComponent, Instance(),
                                            [] { return new ExtensionModule(); });
}

ExtensionModule::ExtensionModule() : IORVAgent(L"ExtensionModule") {
    orvsim::client::AgentCreated(this);
}

ExtensionModule::~ExtensionModule() {
    orvsim::client::AgentDestroyed(this);
    Instance().Forget(this);
}

bool ExtensionModule::Init() {
    return orvsim::client::TrackedInit(this, [this] { return IORVAgent::Init(); });
}

}  // namespace ORV
