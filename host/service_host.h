#pragma once
// ServiceHost: plays the Windows service host for the library. It calls the three entry
// points as a host process would (OnStart on a start thread of its own, controls with their
// Windows event-data records, OnStop on the caller's thread) and notes when each happened on
// the machine's clock.
//
// Threads: one driving thread calls everything here; the start thread is owned and joined
// by the host (in Stop, or in the destructor).

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <thread>

#include "winapi/windows_api.h"

namespace orvhost {

class ServiceHost {
  public:
    explicit ServiceHost(SERVICE_STATUS_HANDLE statusHandle);
    ~ServiceHost();
    ServiceHost(const ServiceHost&) = delete;
    ServiceHost& operator=(const ServiceHost&) = delete;

    // Calls OnStart on the start thread and returns at once.
    void Start();
    // Waits until OnStart has returned; false after `realTimeout`.
    bool WaitForStartReturned(std::chrono::milliseconds realTimeout);
    // Waits until the worker has fully initialised the agents; false after `realTimeout`.
    bool WaitForFullInit(std::chrono::milliseconds realTimeout);

    // Delivers one control through OnServiceControlHandle, as the Service Control Manager does.
    void SendControl(DWORD control, DWORD eventType = 0, void* eventData = nullptr);
    void SendSessionChange(DWORD reason, DWORD sessionId);
    void SendPowerEvent(DWORD eventType);
    void SendTimeChange(int64_t oldFileTime, int64_t newFileTime);
    // A clock change as Windows makes one: the wall clock moves, the System event log gets
    // its time-change event, and the service receives SERVICE_CONTROL_TIMECHANGE.
    void ChangeClock(std::chrono::milliseconds delta);

    // Calls OnStop and then joins the start thread.
    void Stop();

    int ControlsDelivered() const { return controlsDelivered_; }
    // Machine-clock durations; empty until the event happened.
    std::optional<std::chrono::milliseconds> TimeToFullInit() const;
    std::optional<std::chrono::milliseconds> TimeToStop() const;

  private:
    SERVICE_STATUS_HANDLE statusHandle_;
    std::thread startThread_;
    std::chrono::milliseconds startCalledAt_{0};
    std::optional<std::chrono::milliseconds> fullInitAt_;
    std::optional<std::chrono::milliseconds> stopTook_;
    int controlsDelivered_ = 0;
};

}  // namespace orvhost
