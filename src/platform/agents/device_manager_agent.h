#pragma once

// The client's device manager: keeps per-user device settings in step with the interactive
// user. Any thread.
class DeviceManagerAgent {
  public:
    // The process-wide agent; never null, never deleted by callers.
    static DeviceManagerAgent* GetInstance();

    // A user has logged on or unlocked the device.
    void OnDeviceUnlock();

    DeviceManagerAgent(const DeviceManagerAgent&) = delete;
    DeviceManagerAgent& operator=(const DeviceManagerAgent&) = delete;

  private:
    DeviceManagerAgent() = default;
    ~DeviceManagerAgent() = default;
};
