#include "platform/agents/core_adapter_agent.h"

#include <stdexcept>

#include "sim/client/agent_construction.h"
#include "sim/client/agent_support.h"

namespace {

constexpr char kComponent[] = "CoreAdapterAgent";

}  // namespace

CoreAdapterAgent::CoreAdapterAgent(ORVCore::ICoreApi* coreApi,
                                   std::shared_ptr<IConfigAgent> configAgent,
                                   std::shared_ptr<ORV::EpUrlProvider> epUrlProvider)
    : IORVAgent(L"CoreAdapterAgent"),
      coreApi_(coreApi),
      configAgent_(std::move(configAgent)),
      epUrlProvider_(std::move(epUrlProvider)) {
    orvsim::TraceCall(kComponent, "CoreAdapterAgent", static_cast<const void*>(coreApi_),
                      static_cast<const void*>(configAgent_.get()),
                      static_cast<const void*>(epUrlProvider_.get()));
    orvsim::client::ThrowIfConstructionFails(kComponent);
    orvsim::client::AgentCreated(this);
}

CoreAdapterAgent::~CoreAdapterAgent() {
    orvsim::client::AgentDestroyed(this);
}

bool CoreAdapterAgent::Init() {
    return orvsim::client::TrackedInit(this, [this] { return IORVAgent::Init(); });
}

bool CoreAdapterAgent::HasCoreApi() {
    orvsim::TraceCall(kComponent, "HasCoreApi");
    return coreApi_ != nullptr;
}

bool CoreAdapterAgent::HasConfigAgent() {
    orvsim::TraceCall(kComponent, "HasConfigAgent");
    return configAgent_ != nullptr;
}
