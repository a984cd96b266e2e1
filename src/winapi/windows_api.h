#pragma once
// The one include for Win32 names. On Windows: the platform's own headers. Elsewhere: the
// same names, types and constants, implemented over the simulated machine of liborvwinapi
// (arranged and read through the C++ control API in "winapi/control/").

#ifdef _WIN32

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <objbase.h>
#include <windows.h>
#include <winevt.h>
// _time64 belongs to the C runtime.
#include <time.h>

// The export mark of the simulated machine's functions; Windows exports its own.
#define WINSIM_API

#ifdef ORV_DECLARE_SERVICE_TIMECHANGE_INFO
// The event data of SERVICE_CONTROL_TIMECHANGE, as winsvc.h declares it.
typedef struct _SERVICE_TIMECHANGE_INFO {
    LARGE_INTEGER liNewTime;
    LARGE_INTEGER liOldTime;
} SERVICE_TIMECHANGE_INFO, *PSERVICE_TIMECHANGE_INFO;
#endif

#else

#include "winapi/win32/com.h"
#include "winapi/win32/errors.h"
#include "winapi/win32/eventlog.h"
#include "winapi/win32/registry.h"
#include "winapi/win32/services.h"
#include "winapi/win32/sync.h"
#include "winapi/win32/system.h"
#include "winapi/win32/threadpool.h"
#include "winapi/win32/time.h"
#include "winapi/win32/types.h"

#endif
