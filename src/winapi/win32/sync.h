#pragma once
// Kernel objects and waits: events, mutexes, WaitForSingleObject/WaitForMultipleObjects,
// CloseHandle, Sleep, thread ids and the per-thread last error. Every timeout counts
// milliseconds of the machine's clock (see "winapi/control/clock.h").

#include "winapi/win32/types.h"

inline constexpr DWORD INFINITE = 0xFFFFFFFF;
inline constexpr DWORD MAXIMUM_WAIT_OBJECTS = 64;
inline constexpr DWORD WAIT_OBJECT_0 = 0x00000000;
inline constexpr DWORD WAIT_ABANDONED = 0x00000080;
inline constexpr DWORD WAIT_ABANDONED_0 = 0x00000080;
inline constexpr DWORD WAIT_IO_COMPLETION = 0x000000C0;
inline constexpr DWORD WAIT_TIMEOUT = 258;
inline constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;

inline constexpr DWORD CREATE_EVENT_MANUAL_RESET = 0x00000001;
inline constexpr DWORD CREATE_EVENT_INITIAL_SET = 0x00000002;
inline constexpr DWORD CREATE_MUTEX_INITIAL_OWNER = 0x00000001;
inline constexpr DWORD EVENT_MODIFY_STATE = 0x0002;
inline constexpr DWORD EVENT_ALL_ACCESS = 0x001F0003;
inline constexpr DWORD MUTEX_MODIFY_STATE = 0x0001;
inline constexpr DWORD MUTEX_ALL_ACCESS = 0x001F0001;

extern "C" {

WINSIM_API DWORD WINAPI GetLastError();
WINSIM_API void WINAPI SetLastError(DWORD dwErrCode);
WINSIM_API DWORD WINAPI GetCurrentThreadId();
WINSIM_API DWORD WINAPI GetCurrentProcessId();

// Named objects share one namespace per machine; as in session 0, the "Global\" and
// "Local\" prefixes and no prefix all name the same object. Names are case-sensitive.
WINSIM_API HANDLE WINAPI CreateEventW(LPSECURITY_ATTRIBUTES lpEventAttributes, BOOL bManualReset,
                                      BOOL bInitialState, LPCWSTR lpName);
WINSIM_API HANDLE WINAPI CreateEventExW(LPSECURITY_ATTRIBUTES lpEventAttributes, LPCWSTR lpName,
                                        DWORD dwFlags, DWORD dwDesiredAccess);
WINSIM_API HANDLE WINAPI OpenEventW(DWORD dwDesiredAccess, BOOL bInheritHandle, LPCWSTR lpName);
WINSIM_API BOOL WINAPI SetEvent(HANDLE hEvent);
WINSIM_API BOOL WINAPI ResetEvent(HANDLE hEvent);

WINSIM_API HANDLE WINAPI CreateMutexW(LPSECURITY_ATTRIBUTES lpMutexAttributes, BOOL bInitialOwner,
                                      LPCWSTR lpName);
WINSIM_API HANDLE WINAPI CreateMutexExW(LPSECURITY_ATTRIBUTES lpMutexAttributes, LPCWSTR lpName,
                                        DWORD dwFlags, DWORD dwDesiredAccess);
WINSIM_API HANDLE WINAPI OpenMutexW(DWORD dwDesiredAccess, BOOL bInheritHandle, LPCWSTR lpName);
WINSIM_API BOOL WINAPI ReleaseMutex(HANDLE hMutex);

WINSIM_API DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds);
WINSIM_API DWORD WINAPI WaitForMultipleObjects(DWORD nCount, const HANDLE* lpHandles, BOOL bWaitAll,
                                               DWORD dwMilliseconds);
WINSIM_API BOOL WINAPI CloseHandle(HANDLE hObject);
WINSIM_API void WINAPI Sleep(DWORD dwMilliseconds);

// Security descriptors are accepted and kept in shape, never enforced.
WINSIM_API BOOL WINAPI InitializeSecurityDescriptor(PSECURITY_DESCRIPTOR pSecurityDescriptor,
                                                    DWORD dwRevision);
WINSIM_API BOOL WINAPI SetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR pSecurityDescriptor,
                                                 BOOL bDaclPresent, PACL pDacl,
                                                 BOOL bDaclDefaulted);

}  // extern "C"

#define CreateEvent CreateEventW
#define CreateEventEx CreateEventExW
#define OpenEvent OpenEventW
#define CreateMutex CreateMutexW
#define CreateMutexEx CreateMutexExW
#define OpenMutex OpenMutexW
