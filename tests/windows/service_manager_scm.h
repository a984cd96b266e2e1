#pragma once
// The service "ORVService" in the machine's service manager: opening it, removing it whatever
// state an earlier (perhaps failed) test left it in, its configuration through the manager's
// own queries, and the registry values it mirrors them in (which the library reads).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "service_manager_platform.h"
#include "winapi/windows_api.h"

namespace scm_suite {

inline constexpr wchar_t kServiceName[] = L"ORVService";

ServiceHandle OpenManager();

// Null when the service cannot be opened; `error` then holds GetLastError().
ServiceHandle OpenOrvService(DWORD access = SERVICE_ALL_ACCESS, DWORD* error = nullptr);

// Stops the service if it runs (ending its process if it will not stop) and deletes it.
// Returns what had to be done, empty when there was no service.
std::string RemoveService();

struct ServiceConfig {
    DWORD serviceType = 0;
    DWORD startType = 0;
    std::wstring binaryPath;
};

// Empty on failure, `error` then holds GetLastError().
std::optional<ServiceConfig> QueryConfig(SC_HANDLE service, DWORD& error);

// The raw record of QueryServiceConfig2W at `level`; empty on failure (`error` says why).
std::vector<std::uint8_t> QueryConfig2(SC_HANDLE service, DWORD level, DWORD& error);

// A DWORD value of HKLM\SYSTEM\CurrentControlSet\Services\ORVService; empty when unreadable.
std::optional<DWORD> ServiceRegistryDword(const wchar_t* name);

// The binary path without the quotes that protect a path with blanks.
std::wstring Unquoted(const std::wstring& path);

}  // namespace scm_suite
