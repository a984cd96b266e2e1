#pragma once

#include "platform/common_base/orv_agent.h"

// The data-sync agent as other components hold it (through the agent factory).
class IDataSyncAgent {
  public:
    virtual ~IDataSyncAgent() = default;
};

// The data-sync agent (DataSync library).
class DataSyncAgent : public IORVAgent, public IDataSyncAgent {
  public:
    // Process-wide; ownership as for ConfigPolicyAgent::GetInstance.
    static DataSyncAgent* GetInstance();
    ~DataSyncAgent() override;

    bool Init() override;

  private:
    DataSyncAgent();
};
