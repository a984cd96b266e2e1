#pragma once

#include "platform/common_base/orv_agent.h"

// The deployment agent as other components hold it (through the agent factory).
class IDeployAgent {
  public:
    virtual ~IDeployAgent() = default;
};

// The deployment agent (DeployAgent library).
class DeployAgent : public IORVAgent, public IDeployAgent {
  public:
    // Process-wide; ownership as for ConfigPolicyAgent::GetInstance.
    static DeployAgent* GetInstance();
    ~DeployAgent() override;

    bool Init() override;

  private:
    DeployAgent();
};
