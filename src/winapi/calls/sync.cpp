// Win32 kernel-object calls over the machine's Kernel.

#include "winapi/win32/sync.h"

#include <unistd.h>

#include "winapi/calls/injected_failure.h"
#include "winapi/machine/machine.h"
#include "winapi/machine/thread_identity.h"
#include "winapi/win32/errors.h"

using winsim::detail::Call;
using winsim::detail::FailsWithLastError;
using winsim::detail::KernelObject;
using winsim::detail::Machine;

extern "C" {

DWORD WINAPI GetLastError() {
    return winsim::detail::LastError();
}

void WINAPI SetLastError(DWORD dwErrCode) {
    winsim::detail::SetLastErrorCode(dwErrCode);
}

DWORD WINAPI GetCurrentThreadId() {
    return winsim::detail::CurrentThreadId();
}

DWORD WINAPI GetCurrentProcessId() {
    return static_cast<DWORD>(::getpid());
}

HANDLE WINAPI CreateEventW(LPSECURITY_ATTRIBUTES /*lpEventAttributes*/, BOOL bManualReset,
                           BOOL bInitialState, LPCWSTR lpName) {
    if (FailsWithLastError(Call::CreateEvent, __builtin_return_address(0))) {
        return nullptr;
    }
    return Machine::Get().kernel.CreateEvent(bManualReset != FALSE, bInitialState != FALSE, lpName);
}

HANDLE WINAPI CreateEventExW(LPSECURITY_ATTRIBUTES /*lpEventAttributes*/, LPCWSTR lpName,
                             DWORD dwFlags, DWORD /*dwDesiredAccess*/) {
    if ((dwFlags & ~(CREATE_EVENT_MANUAL_RESET | CREATE_EVENT_INITIAL_SET)) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (FailsWithLastError(Call::CreateEvent, __builtin_return_address(0))) {
        return nullptr;
    }
    return Machine::Get().kernel.CreateEvent((dwFlags & CREATE_EVENT_MANUAL_RESET) != 0,
                                             (dwFlags & CREATE_EVENT_INITIAL_SET) != 0, lpName);
}

HANDLE WINAPI OpenEventW(DWORD /*dwDesiredAccess*/, BOOL /*bInheritHandle*/, LPCWSTR lpName) {
    return Machine::Get().kernel.Open(KernelObject::Kind::kEvent, lpName);
}

BOOL WINAPI SetEvent(HANDLE hEvent) {
    return Machine::Get().kernel.SetEvent(hEvent) ? TRUE : FALSE;
}

BOOL WINAPI ResetEvent(HANDLE hEvent) {
    return Machine::Get().kernel.ResetEvent(hEvent) ? TRUE : FALSE;
}

HANDLE WINAPI CreateMutexW(LPSECURITY_ATTRIBUTES /*lpMutexAttributes*/, BOOL bInitialOwner,
                           LPCWSTR lpName) {
    if (FailsWithLastError(Call::CreateMutex, __builtin_return_address(0))) {
        return nullptr;
    }
    return Machine::Get().kernel.CreateMutex(bInitialOwner != FALSE, lpName);
}

HANDLE WINAPI CreateMutexExW(LPSECURITY_ATTRIBUTES /*lpMutexAttributes*/, LPCWSTR lpName,
                             DWORD dwFlags, DWORD /*dwDesiredAccess*/) {
    if ((dwFlags & ~CREATE_MUTEX_INITIAL_OWNER) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (FailsWithLastError(Call::CreateMutex, __builtin_return_address(0))) {
        return nullptr;
    }
    return Machine::Get().kernel.CreateMutex((dwFlags & CREATE_MUTEX_INITIAL_OWNER) != 0, lpName);
}

HANDLE WINAPI OpenMutexW(DWORD /*dwDesiredAccess*/, BOOL /*bInheritHandle*/, LPCWSTR lpName) {
    return Machine::Get().kernel.Open(KernelObject::Kind::kMutex, lpName);
}

BOOL WINAPI ReleaseMutex(HANDLE hMutex) {
    return Machine::Get().kernel.ReleaseMutex(hMutex) ? TRUE : FALSE;
}

DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
    if (FailsWithLastError(Call::Wait, __builtin_return_address(0))) {
        return WAIT_FAILED;
    }
    return Machine::Get().kernel.Wait(&hHandle, 1, false, dwMilliseconds);
}

DWORD WINAPI WaitForMultipleObjects(DWORD nCount, const HANDLE* lpHandles, BOOL bWaitAll,
                                    DWORD dwMilliseconds) {
    if (FailsWithLastError(Call::Wait, __builtin_return_address(0))) {
        return WAIT_FAILED;
    }
    return Machine::Get().kernel.Wait(lpHandles, nCount, bWaitAll != FALSE, dwMilliseconds);
}

BOOL WINAPI CloseHandle(HANDLE hObject) {
    return Machine::Get().kernel.Close(hObject) ? TRUE : FALSE;
}

void WINAPI Sleep(DWORD dwMilliseconds) {
    auto& clock = Machine::Get().clock;
    clock.Sleep(dwMilliseconds == INFINITE ? winsim::detail::Clock::kNever
                                           : std::chrono::milliseconds(dwMilliseconds));
}

BOOL WINAPI InitializeSecurityDescriptor(PSECURITY_DESCRIPTOR pSecurityDescriptor,
                                         DWORD dwRevision) {
    if (pSecurityDescriptor == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (dwRevision != SECURITY_DESCRIPTOR_REVISION) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *static_cast<SECURITY_DESCRIPTOR*>(pSecurityDescriptor) = SECURITY_DESCRIPTOR{
        static_cast<BYTE>(dwRevision), 0, 0, nullptr, nullptr, nullptr, nullptr};
    return TRUE;
}

BOOL WINAPI SetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR pSecurityDescriptor, BOOL bDaclPresent,
                                      PACL pDacl, BOOL /*bDaclDefaulted*/) {
    auto* descriptor = static_cast<SECURITY_DESCRIPTOR*>(pSecurityDescriptor);
    if (descriptor == nullptr || descriptor->Revision != SECURITY_DESCRIPTOR_REVISION) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    constexpr WORD kDaclPresent = 0x0004;
    descriptor->Control =
        static_cast<WORD>(bDaclPresent != FALSE ? descriptor->Control | kDaclPresent
                                                : descriptor->Control & ~kDaclPresent);
    descriptor->Dacl = bDaclPresent != FALSE ? pDacl : nullptr;
    return TRUE;
}

}  // extern "C"
