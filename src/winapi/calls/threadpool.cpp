// Win32 thread-pool calls over the machine's pools.

#include "winapi/win32/threadpool.h"

#include "winapi/machine/machine.h"
#include "winapi/machine/thread_identity.h"
#include "winapi/win32/errors.h"

using winsim::detail::Call;
using winsim::detail::Machine;

extern "C" {

PTP_POOL WINAPI CreateThreadpool(PVOID reserved) {
    Machine& m = Machine::Get();
    if (const auto code = m.failures.Check(Call::CreateThreadpool, __builtin_return_address(0))) {
        winsim::detail::SetLastErrorCode(static_cast<DWORD>(*code));
        return nullptr;
    }
    if (reserved != nullptr) {
        winsim::detail::SetLastErrorCode(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return m.pools.Create();
}

void WINAPI SetThreadpoolThreadMaximum(PTP_POOL ptpp, DWORD cthrdMost) {
    Machine::Get().pools.SetMaximum(ptpp, cthrdMost);
}

BOOL WINAPI SetThreadpoolThreadMinimum(PTP_POOL ptpp, DWORD cthrdMic) {
    return Machine::Get().pools.SetMinimum(ptpp, cthrdMic) ? TRUE : FALSE;
}

void WINAPI CloseThreadpool(PTP_POOL ptpp) {
    Machine::Get().pools.Close(ptpp);
}

PTP_WORK WINAPI CreateThreadpoolWork(PTP_WORK_CALLBACK pfnwk, PVOID pv, PTP_CALLBACK_ENVIRON pcbe) {
    Machine& m = Machine::Get();
    if (const auto code =
            m.failures.Check(Call::CreateThreadpoolWork, __builtin_return_address(0))) {
        winsim::detail::SetLastErrorCode(static_cast<DWORD>(*code));
        return nullptr;
    }
    return m.pools.CreateWork(pfnwk, pv, pcbe);
}

void WINAPI SubmitThreadpoolWork(PTP_WORK pwk) {
    Machine::Get().pools.Submit(pwk);
}

void WINAPI WaitForThreadpoolWorkCallbacks(PTP_WORK pwk, BOOL fCancelPendingCallbacks) {
    Machine::Get().pools.WaitForCallbacks(pwk, fCancelPendingCallbacks != FALSE);
}

void WINAPI CloseThreadpoolWork(PTP_WORK pwk) {
    Machine::Get().pools.CloseWork(pwk);
}

}  // extern "C"
