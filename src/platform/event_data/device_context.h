#pragma once

#include <string>

// One snapshot of the device's context (EventData library), handed to the event manager.
// A default-constructed context is empty; the event manager fills in what it records.
struct DeviceContext {
    std::wstring reason;
    int userSessionId = -1;
};
