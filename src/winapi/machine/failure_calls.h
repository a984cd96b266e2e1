#pragma once
// The calls whose failure can be arranged, and whose calls an arrangement aims at: the
// machine's failure injector keeps them, the control API (winapi/control/failures.h) arranges
// them.

#include <string>

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

}  // namespace winsim::failures
