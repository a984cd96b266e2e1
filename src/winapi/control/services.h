#pragma once
// Arranging the service database and reading status reports. A service's configuration
// lives in the registry under SYSTEM\CurrentControlSet\Services\<name>, as on Windows;
// the database itself only knows which services are installed.

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "winapi/machine/service_records.h"
#include "winapi/windows_api.h"

namespace winsim::services {

// Installs (or reinstalls) the service and writes its registry values: Type, Start,
// ErrorControl, ImagePath, DisplayName, ObjectName and, when set, DelayedAutostart.
WINSIM_API void Install(std::wstring_view name, const ServiceConfig& config);
// Removes the service and its registry key. False when it was not installed.
WINSIM_API bool Remove(std::wstring_view name);
// The configuration as the registry holds it now. Empty when not installed.
WINSIM_API std::optional<ServiceConfig> Get(std::wstring_view name);

// The status handle that the service host of `name` would get from the service control
// manager, for SetServiceStatus. The service must be installed (std::invalid_argument).
WINSIM_API SERVICE_STATUS_HANDLE StatusHandle(std::wstring_view name);

// Every successful SetServiceStatus, oldest first.
WINSIM_API std::vector<StatusReport> StatusReports();
WINSIM_API void ClearStatusReports();
// Blocks until at least `count` reports are recorded or `realTimeout` of real time has
// passed; true in the first case.
WINSIM_API bool WaitForStatusReports(std::size_t count, std::chrono::milliseconds realTimeout);

}  // namespace winsim::services
