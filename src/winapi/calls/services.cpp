// Win32 service control manager calls over the machine's service manager.

#include "winapi/win32/services.h"

#include "winapi/calls/injected_failure.h"
#include "winapi/machine/machine.h"
#include "winapi/machine/thread_identity.h"

using winsim::detail::Call;
using winsim::detail::FailsWithLastError;
using winsim::detail::Machine;

extern "C" {

SC_HANDLE WINAPI OpenSCManagerW(LPCWSTR lpMachineName, LPCWSTR lpDatabaseName,
                                DWORD dwDesiredAccess) {
    if (FailsWithLastError(Call::OpenSCManager, __builtin_return_address(0))) {
        return nullptr;
    }
    return Machine::Get().services.OpenManager(lpMachineName, lpDatabaseName, dwDesiredAccess);
}

SC_HANDLE WINAPI OpenServiceW(SC_HANDLE hSCManager, LPCWSTR lpServiceName, DWORD dwDesiredAccess) {
    if (FailsWithLastError(Call::OpenService, __builtin_return_address(0))) {
        return nullptr;
    }
    return Machine::Get().services.OpenService(hSCManager, lpServiceName, dwDesiredAccess);
}

BOOL WINAPI CloseServiceHandle(SC_HANDLE hSCObject) {
    return Machine::Get().services.CloseHandle(hSCObject) ? TRUE : FALSE;
}

BOOL WINAPI ChangeServiceConfigW(SC_HANDLE hService, DWORD dwServiceType, DWORD dwStartType,
                                 DWORD dwErrorControl, LPCWSTR lpBinaryPathName,
                                 LPCWSTR lpLoadOrderGroup, LPDWORD lpdwTagId,
                                 LPCWSTR lpDependencies, LPCWSTR lpServiceStartName,
                                 LPCWSTR /*lpPassword*/, LPCWSTR lpDisplayName) {
    if (FailsWithLastError(Call::ChangeServiceConfig, __builtin_return_address(0))) {
        return FALSE;
    }
    return Machine::Get().services.ChangeConfig(
               hService, dwServiceType, dwStartType, dwErrorControl, lpBinaryPathName,
               lpLoadOrderGroup, lpdwTagId, lpDependencies, lpServiceStartName, lpDisplayName)
               ? TRUE
               : FALSE;
}

BOOL WINAPI ChangeServiceConfig2W(SC_HANDLE hService, DWORD dwInfoLevel, LPVOID lpInfo) {
    if (FailsWithLastError(Call::ChangeServiceConfig2, __builtin_return_address(0))) {
        return FALSE;
    }
    return Machine::Get().services.ChangeConfig2(hService, dwInfoLevel, lpInfo) ? TRUE : FALSE;
}

BOOL WINAPI QueryServiceConfigW(SC_HANDLE hService, LPQUERY_SERVICE_CONFIGW lpServiceConfig,
                                DWORD cbBufSize, LPDWORD pcbBytesNeeded) {
    return Machine::Get().services.QueryConfig(hService, lpServiceConfig, cbBufSize, pcbBytesNeeded)
               ? TRUE
               : FALSE;
}

BOOL WINAPI QueryServiceConfig2W(SC_HANDLE hService, DWORD dwInfoLevel, LPBYTE lpBuffer,
                                 DWORD cbBufSize, LPDWORD pcbBytesNeeded) {
    return Machine::Get().services.QueryConfig2(hService, dwInfoLevel, lpBuffer, cbBufSize,
                                                pcbBytesNeeded)
               ? TRUE
               : FALSE;
}

BOOL WINAPI QueryServiceStatus(SC_HANDLE hService, LPSERVICE_STATUS lpServiceStatus) {
    return Machine::Get().services.QueryStatus(hService, lpServiceStatus) ? TRUE : FALSE;
}

BOOL WINAPI SetServiceStatus(SERVICE_STATUS_HANDLE hServiceStatus,
                             LPSERVICE_STATUS lpServiceStatus) {
    if (FailsWithLastError(Call::SetServiceStatus, __builtin_return_address(0))) {
        return FALSE;
    }
    return Machine::Get().services.SetStatus(hServiceStatus, lpServiceStatus) ? TRUE : FALSE;
}

}  // extern "C"
