#pragma once

#include "platform/common_base/orv_agent.h"
#include "platform/event_data/device_context.h"
#include "winapi/windows_api.h"

// What other components need of the event manager.
class IEventManager {
  public:
    virtual ~IEventManager() = default;

    // Records one device-context event. immediate: write it now rather than batch it;
    // userTriggered: a user action (logon) caused it. True when it was recorded.
    virtual bool LogDeviceContext(bool immediate, const DeviceContext& context,
                                  bool userTriggered) = 0;

    // Receives one service control as the service control handler got it; eventData points
    // to the service's own copy of the control's data (or is null) and is valid only during
    // the call. Any thread, also concurrently. Returns NO_ERROR.
    virtual DWORD OnServiceControl(DWORD control, DWORD eventType, void* eventData,
                                   void* context) = 0;
};

// The event manager (EventManager library): turns service controls and device-context changes
// into client events. Its initialisation starts the client event monitor (ORVEventMonitor).
class EventManager : public IORVAgent, public IEventManager {
  public:
    // The process-wide manager, created on first use with the service's status handle (later
    // calls keep the first handle); null when unavailable. Ownership as for
    // ConfigPolicyAgent::GetInstance.
    static EventManager* GetInstance(SERVICE_STATUS_HANDLE statusHandle);
    ~EventManager() override;

    bool Init() override;

    bool LogDeviceContext(bool immediate, const DeviceContext& context,
                          bool userTriggered) override;
    DWORD OnServiceControl(DWORD control, DWORD eventType, void* eventData, void* context) override;

    // The service status handle it was made with.
    SERVICE_STATUS_HANDLE StatusHandle() const { return statusHandle_; }

  private:
    explicit EventManager(SERVICE_STATUS_HANDLE statusHandle);

    const SERVICE_STATUS_HANDLE statusHandle_;
};
