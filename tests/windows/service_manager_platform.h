#pragma once
// Where the machine under the suite is Wine rather than Windows, and what a finished Windows
// set-up leaves that a fresh Wine prefix lacks.

#include <string>

#include "winapi/windows_api.h"

namespace scm_suite {

// Wine's ntdll exports wine_get_version; Windows' does not.
inline bool UnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// The service waits, before it brings the client up, until Windows set-up has recorded its
// image state as complete. Windows always has; a Wine prefix never writes the value, so under
// Wine it is written here. Returns an error text, empty on success.
std::string EnsureSetupFinished();

}  // namespace scm_suite
