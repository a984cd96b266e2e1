#pragma once
// DownloadAgent: the client's download agent, first of the agent roster.

#include "platform/common_base/orv_agent.h"

// The download agent's interface as the other agents see it (through orv::AgentFactory).
class IDownloadAgent {
  public:
    virtual ~IDownloadAgent() = default;

    // Whether downloads are currently possible (the agent is initialized and not stopping).
    virtual bool IsReady() = 0;
};

class DownloadAgent : public IORVAgent, public IDownloadAgent {
  public:
    // The process-wide agent, created on first use, or null when the instance is arranged
    // absent. The caller takes ownership (the service keeps it under a shared pointer); once
    // that object is destroyed, the next call creates a new one. Any thread.
    static DownloadAgent* GetInstance();

    ~DownloadAgent() override;

    bool IsReady() override;

  private:
    DownloadAgent();
};
