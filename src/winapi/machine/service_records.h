#pragma once
// A service's configuration and a status report as the machine's service manager keeps them;
// the control API (winapi/control/services.h) arranges and reads them.

#include <chrono>
#include <optional>
#include <string>

#include "winapi/windows_api.h"

namespace winsim::services {

struct ServiceConfig {
    DWORD startType = SERVICE_DEMAND_START;
    // Empty: no "DelayedAutostart" value in the registry, as after a plain install.
    std::optional<bool> delayedAutoStart;
    DWORD serviceType = SERVICE_WIN32_OWN_PROCESS;
    DWORD errorControl = SERVICE_ERROR_NORMAL;
    std::wstring imagePath;
    std::wstring displayName;
};

struct StatusReport {
    std::wstring service;
    SERVICE_STATUS status;
    DWORD threadId;
    std::chrono::milliseconds at;  // machine monotonic time
};

}  // namespace winsim::services
