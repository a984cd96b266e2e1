#pragma once
// How ORVService is registered with the service control manager. The library opens the
// service under this name to manage its own startup type, so the name is fixed.

#include <array>

#include "winapi/windows_api.h"

namespace orvsvc {

inline constexpr wchar_t kServiceName[] = L"ORVService";
inline constexpr wchar_t kDisplayName[] = L"ORV Client Service";
inline constexpr wchar_t kDescription[] =
    L"Keeps this PC under device management: runs the ORV client's agents and keeps them in "
    L"step with policy, user sessions, power and time changes.";

// How long Windows waits for the service after PRESHUTDOWN. The library's stop sleeps 2 s,
// its cleanup may wait 10 s more for a start still under way, and the agents' take-down comes
// on top; a minute covers that with room. Windows still bounds shutdown as a whole.
inline constexpr DWORD kPreShutdownTimeoutMs = 60000;

// Failure actions: restart after 10 s, 1 min, then every 5 min; the failure count starts again
// after a day without failures.
inline constexpr DWORD kFailureResetPeriodSeconds = 24 * 60 * 60;
inline constexpr std::array<SC_ACTION, 3> kFailureActions = {{
    {SC_ACTION_RESTART, 10 * 1000},
    {SC_ACTION_RESTART, 60 * 1000},
    {SC_ACTION_RESTART, 5 * 60 * 1000},
}};

}  // namespace orvsvc
