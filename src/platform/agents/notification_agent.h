#pragma once

#include <functional>
#include <string>

#include "platform/common_base/orv_agent.h"

namespace ORV::AgentInterface::Notification {

// What other components need of the notification agent.
class INotificationAgent {
  public:
    virtual ~INotificationAgent() = default;

    // Number of the agent's five callbacks that hold a function.
    virtual int RegisteredCallbackCount() = 0;
};

}  // namespace ORV::AgentInterface::Notification

// The notification agent (NotificationAgent library): shows the client's notifications to the
// user and reports what became of them through five callbacks.
class NotificationAgent : public IORVAgent,
                          public ORV::AgentInterface::Notification::INotificationAgent {
  public:
    // One report: the notification's id and a detail text. An empty function is allowed.
    using Callback = std::function<void(std::string, std::string)>;

    // The process-wide agent, created by the first call with these callbacks (later calls
    // return it unchanged and ignore theirs); null when the agent is unavailable. Ownership
    // as for ConfigPolicyAgent::GetInstance.
    static NotificationAgent* GetInstance(Callback onShown, Callback onActivated,
                                          Callback onDismissed, Callback onFailed,
                                          Callback onExpired);
    ~NotificationAgent() override;

    bool Init() override;
    int RegisteredCallbackCount() override;

  private:
    NotificationAgent(Callback onShown, Callback onActivated, Callback onDismissed,
                      Callback onFailed, Callback onExpired);

    const Callback onShown_, onActivated_, onDismissed_, onFailed_, onExpired_;
};
