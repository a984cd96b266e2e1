#pragma once
// Failure injection for the platform calls whose failure the service handles, and call
// counts. A failing call does what Windows does on failure: a null handle or FALSE with
// the code set through SetLastError, WAIT_FAILED for waits, the code itself as the
// result of registry calls (LSTATUS) and COM calls (HRESULT).

#include <cstdint>

#include "winapi/windows_api.h"

namespace winsim::failures {

enum class Call {
    CreateEvent,  // CreateEventW, CreateEventExW
    CreateMutex,  // CreateMutexW, CreateMutexExW
    Wait,         // WaitForSingleObject, WaitForMultipleObjects
    CreateThreadpool,
    CreateThreadpoolWork,
    OpenSCManager,
    OpenService,
    ChangeServiceConfig,
    ChangeServiceConfig2,
    SetServiceStatus,
    EvtSubscribe,
    EvtRender,
    CoInitializeEx,  // also CoInitialize
    CoInitializeSecurity,
    RegOpenKey,     // RegOpenKeyExW
    RegCreateKey,   // RegCreateKeyExW
    RegGetValue,    // RegGetValueW
    RegQueryValue,  // RegQueryValueExW
    RegSetValue,    // RegSetValueExW, RegSetKeyValueW
    RegNotifyChangeKeyValue,
    kCount
};

// The next `count` calls fail with `code` (a Win32 error code, or an HRESULT for the
// COM calls), then calls succeed again.
WINSIM_API void FailNext(Call call, unsigned count, LONG code);
// Every call fails with `code` until Clear.
WINSIM_API void FailAlways(Call call, LONG code);
WINSIM_API void Clear(Call call);
WINSIM_API void ClearAll();

// Calls made since the machine was created or reset, failed ones included.
WINSIM_API uint64_t CallCount(Call call);

}  // namespace winsim::failures
