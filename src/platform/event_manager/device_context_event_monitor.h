#pragma once

#include "shared/export.h"
#include "winapi/windows_api.h"

// The global device-context monitor (event-manager library): watches machine-wide context
// (region, power, network) between Start and Stop, and the logged-on user's context once
// TryAddUserRelatedMonitors has added it. Any thread; calls are serialised inside.
class DeviceContextEventMonitor {
  public:
    // The process-wide monitor; never null, never deleted by callers.
    static DeviceContextEventMonitor* GetInstance();

    // Starts the global monitors; does nothing when they run.
    void Start();

    // Stops every monitor (global and user); does nothing when none runs.
    void Stop();

    // Adds the monitors of the active user session while the global monitors run. True when
    // the user's monitors run afterwards; false without an active user session or when the
    // monitor is stopped.
    bool TryAddUserRelatedMonitors();

    // The manual-reset event that the monitor signals when the region settings change. Made
    // with the monitor and never closed (a reset of the simulated machine invalidates it, as
    // it does every handle).
    ORV_EXPORT void* getRegionChangeEventHandle();

    DeviceContextEventMonitor(const DeviceContextEventMonitor&) = delete;
    DeviceContextEventMonitor& operator=(const DeviceContextEventMonitor&) = delete;

  private:
    DeviceContextEventMonitor();
    ~DeviceContextEventMonitor() = default;

    void* regionChangeEvent_;  // set by the constructor, never changed
};
