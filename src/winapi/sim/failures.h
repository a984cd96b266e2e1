#pragma once
// Failure injection for the platform calls whose failure the service handles, and call
// counts. A failing call does what Windows does on failure: a null handle or FALSE with
// the code set through SetLastError, WAIT_FAILED for waits, the code itself as the
// result of registry calls (LSTATUS) and COM calls (HRESULT).

#include <cstdint>
#include <string>

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
    CreateThread,  // a thread of the service (orvwin::StartThread): std::system_error
    kCount
};

// Which calls an arrangement aims at. `callerModule` not empty: only calls made from the
// module (shared library or program) whose file name contains it, e.g. "orvservice" for the
// service library, so that its calls fail while the stand-ins' and the host's go on working;
// other callers' calls are counted but neither fail nor use the arrangement up. `skip`: so many
// aimed-at calls succeed first (for the n-th call of a caller that makes several in a fixed
// order).
struct Target {
    std::string callerModule;
    unsigned skip = 0;
};

// The next `count` aimed-at calls fail with `code` (a Win32 error code, an HRESULT for the
// COM calls, an errno value for CreateThread), then calls succeed again.
WINSIM_API void FailNext(Call call, unsigned count, LONG code, const Target& target = {});
// Every aimed-at call fails with `code` until Clear.
WINSIM_API void FailAlways(Call call, LONG code, const Target& target = {});
WINSIM_API void Clear(Call call);
WINSIM_API void ClearAll();

// Calls made since the machine was created or reset, failed ones included.
WINSIM_API uint64_t CallCount(Call call);

}  // namespace winsim::failures
