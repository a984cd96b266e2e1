#pragma once

#include "platform/common_base/orv_agent.h"

// The client broker as other components hold it (through the agent factory).
class IClientBrokerManager {
  public:
    virtual ~IClientBrokerManager() = default;
};

// The client broker (ClientBrokerAgent library).
class ClientBrokerManager : public IORVAgent, public IClientBrokerManager {
  public:
    // Process-wide; ownership as for ConfigPolicyAgent::GetInstance.
    static ClientBrokerManager* GetInstance();
    ~ClientBrokerManager() override;

    bool Init() override;

  private:
    ClientBrokerManager();
};
