#pragma once
// The library's three entry points, called by the service host. C++ functions, exported under
// their decorated names.
//
// Calling order: OnStart, then any number of OnServiceControlHandle, then OnStop. OnStart and
// OnStop run on the host's threads; OnServiceControlHandle may be called from any thread, also
// while OnStart or OnStop runs, and never blocks.

#include "shared/export.h"
#include "winapi/windows_api.h"

// Sets up the private control pool and the log, creates the service object (unless one
// exists) and runs its start; returns when the start has returned.
ORV_EXPORT void OnStart(SERVICE_STATUS_HANDLE statusHandle);

// Queues the control, with owned copies of its event data, on the private pool. Always 0.
ORV_EXPORT DWORD OnServiceControlHandle(DWORD control, DWORD eventType, LPVOID eventData,
                                        LPVOID context);

// Closes the pool, runs the service's stop on a task of its own, waits at least 2000 ms and
// until the stop has finished, then destroys the service object.
ORV_EXPORT void OnStop();
