#pragma once

#include "platform/common_base/orv_agent.h"

// The app-provisioning agent as other components hold it (through the agent factory).
class IAppProvisioningAgent {
  public:
    virtual ~IAppProvisioningAgent() = default;
};

// The app-provisioning agent (AppProvisioningAgent library).
class AppProvisioningAgent : public IORVAgent, public IAppProvisioningAgent {
  public:
    // Process-wide; ownership as for ConfigPolicyAgent::GetInstance.
    static AppProvisioningAgent* GetInstance();
    ~AppProvisioningAgent() override;

    bool Init() override;

  private:
    AppProvisioningAgent();
};
