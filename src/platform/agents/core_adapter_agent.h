#pragma once

#include <memory>

#include "platform/agents/config_policy_agent.h"
#include "platform/common_base/ep_url_provider.h"
#include "platform/common_base/orv_agent.h"
#include "platform/core/core_api.h"

namespace orv_core {

// What other components need of the core adapter: the client's way into the core library.
class ICoreAdapter {
  public:
    virtual ~ICoreAdapter() = default;

    // Whether the adapter was given a core API and a configuration agent when it was made.
    virtual bool HasCoreApi() = 0;
    virtual bool HasConfigAgent() = 0;
};

}  // namespace orv_core

// The core adapter agent (CoreAdapterAgent library). Made by the service, not a singleton.
class CoreAdapterAgent : public IORVAgent, public orv_core::ICoreAdapter {
  public:
    // coreApi may be null (the adapter then reaches the core through ORVCore::GetInst_CoreApi)
    // and configAgent empty. Throws std::runtime_error when the construction is arranged to
    // fail.
    CoreAdapterAgent(ORVCore::ICoreApi* coreApi, std::shared_ptr<IConfigAgent> configAgent,
                     std::shared_ptr<ORV::EpUrlProvider> epUrlProvider);
    ~CoreAdapterAgent() override;

    bool Init() override;
    bool HasCoreApi() override;
    bool HasConfigAgent() override;

  private:
    ORVCore::ICoreApi* const coreApi_;  // not owned
    const std::shared_ptr<IConfigAgent> configAgent_;
    const std::shared_ptr<ORV::EpUrlProvider> epUrlProvider_;
};
