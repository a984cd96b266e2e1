#pragma once
// What the platform-neutral Win32 tests need that differs between the simulated machine and
// real Windows: a clean machine per test, names and registry keys no other test process
// shares, and knowing when the real platform is Wine. The only platform #if in the tests.

#include <string>

#include "winapi/windows_api.h"

#ifndef _WIN32
#include "winapi/sim/control.h"
#endif

namespace contract {

#ifdef _WIN32

// A real machine cannot be reset; each test cleans up what it made.
inline void FreshMachine() {}

// Wine's ntdll exports wine_get_version; Windows' does not.
inline bool UnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

#else

inline void FreshMachine() {
    winsim::ResetMachine();
}

inline bool UnderWine() {
    return false;
}

#endif

// Named objects and keys live beyond one process on a real machine (and parallel test
// processes share them), so every name carries this process's id.
inline std::wstring Unique(const std::wstring& name) {
    return name + L"-" + std::to_wstring(GetCurrentProcessId());
}

// The root for the tests' keys: writable without elevation on Windows.
inline HKEY TestRoot() {
    return HKEY_CURRENT_USER;
}

}  // namespace contract

// Skips the rest of a test where Wine is known to differ from Windows; `reason` says how.
#define SKIP_UNDER_WINE(reason)       \
    do {                              \
        if (::contract::UnderWine())  \
            GTEST_SKIP() << (reason); \
    } while (false)
