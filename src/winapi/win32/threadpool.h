#pragma once
// The Windows thread pool: private pools with a thread maximum, callback environments
// and work objects. A null environment (or one without a pool) uses the process's
// default pool.

#include "winapi/win32/types.h"

struct TP_POOL;
struct TP_WORK;
struct TP_CALLBACK_INSTANCE;
struct TP_CLEANUP_GROUP;
struct ACTIVATION_CONTEXT;
using PTP_POOL = TP_POOL*;
using PTP_WORK = TP_WORK*;
using PTP_CALLBACK_INSTANCE = TP_CALLBACK_INSTANCE*;
using PTP_CLEANUP_GROUP = TP_CLEANUP_GROUP*;

using TP_VERSION = DWORD;
using PTP_VERSION = DWORD*;

using PTP_CLEANUP_GROUP_CANCEL_CALLBACK = void(NTAPI*)(PVOID ObjectContext, PVOID CleanupContext);
using PTP_SIMPLE_CALLBACK = void(NTAPI*)(PTP_CALLBACK_INSTANCE Instance, PVOID Context);
using PTP_WORK_CALLBACK = void(NTAPI*)(PTP_CALLBACK_INSTANCE Instance, PVOID Context,
                                       PTP_WORK Work);

enum TP_CALLBACK_PRIORITY {
    TP_CALLBACK_PRIORITY_HIGH,
    TP_CALLBACK_PRIORITY_NORMAL,
    TP_CALLBACK_PRIORITY_LOW,
    TP_CALLBACK_PRIORITY_INVALID,
    TP_CALLBACK_PRIORITY_COUNT = TP_CALLBACK_PRIORITY_INVALID
};

struct TP_CALLBACK_ENVIRON_V3 {
    TP_VERSION Version;
    PTP_POOL Pool;
    PTP_CLEANUP_GROUP CleanupGroup;
    PTP_CLEANUP_GROUP_CANCEL_CALLBACK CleanupGroupCancelCallback;
    PVOID RaceDll;
    ACTIVATION_CONTEXT* ActivationContext;
    PTP_SIMPLE_CALLBACK FinalizationCallback;
    union {
        DWORD Flags;
        struct {
            DWORD LongFunction : 1;
            DWORD Persistent : 1;
            DWORD Private : 30;
        } s;
    } u;
    TP_CALLBACK_PRIORITY CallbackPriority;
    DWORD Size;
};
using TP_CALLBACK_ENVIRON = TP_CALLBACK_ENVIRON_V3;
using PTP_CALLBACK_ENVIRON = TP_CALLBACK_ENVIRON*;

extern "C" {

// Returns null with the last error set on failure.
WINSIM_API PTP_POOL WINAPI CreateThreadpool(PVOID reserved);
// Threads are created on demand, never more than the maximum at once (default 500; a
// maximum of 0 counts as 1). Idle threads stay until the pool is freed.
WINSIM_API void WINAPI SetThreadpoolThreadMaximum(PTP_POOL ptpp, DWORD cthrdMost);
WINSIM_API BOOL WINAPI SetThreadpoolThreadMinimum(PTP_POOL ptpp, DWORD cthrdMic);
// Does not wait: work already submitted still runs, then the pool frees itself once no
// work object bound to it is left.
WINSIM_API void WINAPI CloseThreadpool(PTP_POOL ptpp);

// An environment bound to a pool that was already closed is refused with
// ERROR_INVALID_PARAMETER (undefined on Windows). Misused work or pool pointers (closed,
// unknown) are reported on stderr and ignored rather than crashing.
WINSIM_API PTP_WORK WINAPI CreateThreadpoolWork(PTP_WORK_CALLBACK pfnwk, PVOID pv,
                                                PTP_CALLBACK_ENVIRON pcbe);
WINSIM_API void WINAPI SubmitThreadpoolWork(PTP_WORK pwk);
WINSIM_API void WINAPI WaitForThreadpoolWorkCallbacks(PTP_WORK pwk, BOOL fCancelPendingCallbacks);
// Callable from the work's own callback. Submitted callbacks still run; the object is
// freed after the last of them.
WINSIM_API void WINAPI CloseThreadpoolWork(PTP_WORK pwk);

}  // extern "C"

// These three are inline in the Windows headers too.
inline void InitializeThreadpoolEnvironment(PTP_CALLBACK_ENVIRON pcbe) {
    pcbe->Version = 3;
    pcbe->Pool = nullptr;
    pcbe->CleanupGroup = nullptr;
    pcbe->CleanupGroupCancelCallback = nullptr;
    pcbe->RaceDll = nullptr;
    pcbe->ActivationContext = nullptr;
    pcbe->FinalizationCallback = nullptr;
    pcbe->u.Flags = 0;
    pcbe->CallbackPriority = TP_CALLBACK_PRIORITY_NORMAL;
    pcbe->Size = sizeof(TP_CALLBACK_ENVIRON);
}

inline void SetThreadpoolCallbackPool(PTP_CALLBACK_ENVIRON pcbe, PTP_POOL ptpp) {
    pcbe->Pool = ptpp;
}

inline void DestroyThreadpoolEnvironment(PTP_CALLBACK_ENVIRON /*pcbe*/) {}
