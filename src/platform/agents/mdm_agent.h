#pragma once

#include "platform/common_base/orv_agent.h"

// What other components need of the device-management (MDM) agent.
class IMDMAgent {
  public:
    virtual ~IMDMAgent() = default;

    // Re-reads the enrolment for the user who has just logged on or unlocked the device.
    virtual void Reinit() = 0;
};

// The device-management agent (MDMAgent library).
class MDMAgent : public IORVAgent, public IMDMAgent {
  public:
    // Process-wide; ownership as for ConfigPolicyAgent::GetInstance.
    static MDMAgent* GetInstance();
    ~MDMAgent() override;

    bool Init() override;
    void Reinit() override;

  private:
    MDMAgent();
};
