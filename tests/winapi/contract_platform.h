#pragma once
// What the platform-neutral Win32 tests need that differs between the simulated machine and
// real Windows: a clean machine per test, names and registry keys no other test process
// shares, installing a service of their own, and knowing when the real platform is Wine.
// The only platform #if in the tests.

#include <string>

#include "winapi/windows_api.h"

#ifndef _WIN32
#include "winapi/control/machine_control.h"
#endif

namespace contract {

// Where a test service's image would be; it is never started, so no file is needed.
inline constexpr const wchar_t* kTestServiceImage = L"C:\\OrvContractTests\\service.exe";

#ifdef _WIN32

// A real machine cannot be reset; each test cleans up what it made.
inline void FreshMachine() {}

// Installs `name` as CreateServiceW leaves a plain service: its own process, demand start,
// normal error control, LocalSystem, no delayed start. Needs an administrator (Wine is one).
inline bool InstallTestService(const std::wstring& name) {
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE);
    SC_HANDLE service =
        CreateServiceW(manager, name.c_str(), name.c_str(), SERVICE_QUERY_STATUS,
                       SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                       kTestServiceImage, nullptr, nullptr, nullptr, nullptr, nullptr);
    const DWORD error = GetLastError();  // for the caller's message; closing null handles sets it
    CloseServiceHandle(service);
    CloseServiceHandle(manager);
    SetLastError(error);
    return service != nullptr;
}

// Deletes `name`; it is gone once the last handle to it is closed. False when it was not
// installed.
inline bool RemoveTestService(const std::wstring& name) {
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    SC_HANDLE service = OpenServiceW(manager, name.c_str(), DELETE);
    const bool deleted = service != nullptr && DeleteService(service);
    const DWORD error = GetLastError();
    CloseServiceHandle(service);
    CloseServiceHandle(manager);
    SetLastError(error);
    return deleted;
}

// Wine's ntdll exports wine_get_version; Windows' does not.
inline bool UnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

#else

inline void FreshMachine() {
    winsim::ResetMachine();
}

// The simulated machine installs what CreateServiceW would (see above).
inline bool InstallTestService(const std::wstring& name) {
    winsim::services::ServiceConfig config;
    config.startType = SERVICE_DEMAND_START;
    config.imagePath = kTestServiceImage;
    winsim::services::Install(name, config);
    return true;
}

inline bool RemoveTestService(const std::wstring& name) {
    return winsim::services::Remove(name);
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
