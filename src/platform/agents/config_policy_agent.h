#pragma once

#include "platform/common_base/orv_agent.h"

// What other components need of the configuration-policy agent.
class IConfigAgent {
  public:
    virtual ~IConfigAgent() = default;

    // True when the client's current configuration policy allows the service's delayed
    // automatic start. Any thread.
    virtual bool ValidateConfigForDelayStart() = 0;
};

// The configuration-policy agent (ConfigPolicyAgent library). Once the agents of the client
// have initialised, it announces on the bus (kTopicConfigPolicy, kStateMayFullyInitialize) that
// they may fully initialise, as the real agent does after it has applied the first policy.
class ConfigPolicyAgent : public IORVAgent, public IConfigAgent {
  public:
    // The process-wide agent, created on first use; null when the agent is unavailable. The
    // caller takes ownership (a shared pointer that deletes it); after its deletion the next
    // call creates a fresh agent.
    static ConfigPolicyAgent* GetInstance();
    ~ConfigPolicyAgent() override;

    bool Init() override;
    void UnInit() override;  // also withdraws a full-init announcement not yet made

    bool ValidateConfigForDelayStart() override;

  private:
    ConfigPolicyAgent();
};
