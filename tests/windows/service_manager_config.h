#pragma once
// What the service manager holds about the service: its configuration through the manager's
// own queries, and the registry values it mirrors them in (which the library reads).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "winapi/windows_api.h"

namespace scm_suite {

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
