#pragma once
// The service "ORVService" in the machine's service manager: opening it, and removing it
// whatever state an earlier (perhaps failed) test left it in.

#include <string>

#include "service_manager_handles.h"
#include "winapi/windows_api.h"

namespace scm_suite {

inline constexpr wchar_t kServiceName[] = L"ORVService";

ServiceHandle OpenManager();

// Null when the service cannot be opened; `error` then holds GetLastError().
ServiceHandle OpenOrvService(DWORD access = SERVICE_ALL_ACCESS, DWORD* error = nullptr);

// Stops the service if it runs (ending its process if it will not stop) and deletes it.
// Returns what had to be done, empty when there was no service.
std::string RemoveService();

}  // namespace scm_suite
