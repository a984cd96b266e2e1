#pragma once
// Time as the machine's clock tells it: the wall clock (which a time change moves) for
// _time64 and the system time, the monotonic clock for tick counts.

#include "winapi/win32/types.h"

using __time64_t = int64_t;  // NOLINT(bugprone-reserved-identifier): the CRT's own name

extern "C" {

// Seconds since 1970-01-01 UTC; also stored through `timer` when it is not null.
WINSIM_API __time64_t _time64(__time64_t* timer);  // NOLINT(bugprone-reserved-identifier)
WINSIM_API void WINAPI GetSystemTimeAsFileTime(LPFILETIME lpSystemTimeAsFileTime);
// Milliseconds since the machine started; unaffected by time changes.
WINSIM_API ULONGLONG WINAPI GetTickCount64();
WINSIM_API DWORD WINAPI GetTickCount();

}  // extern "C"
