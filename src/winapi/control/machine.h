#pragma once
// Control of the simulated machine as a whole. Not part of the Win32 subset: tests and
// orvhost use it to arrange the machine and read it back (non-Windows builds only).

#include <chrono>

#include "winapi/windows_api.h"

namespace winsim {

// Puts the machine back to a fresh state: no kernel objects (handles from before become
// invalid), an empty registry and service database, no status reports, no event-log
// events or subscriptions, no failure injection, COM uninitialised everywhere, the clock
// at scale 1 showing real time, architecture x64. Pools are closed and their threads
// joined, so call it only while no other thread uses the machine and no callback is
// still to finish.
WINSIM_API void ResetMachine();

// A time change as Windows makes one: moves the wall clock by `delta` and logs the
// Kernel-General event 1 on the System channel. Delivering SERVICE_CONTROL_TIMECHANGE
// to a service is the service host's part. Beyond what the clock holds (winsim::clock), throws
// std::out_of_range and changes nothing.
WINSIM_API void ChangeSystemTime(std::chrono::milliseconds delta);

// Waits until no thread pool of the machine, the default pool included, has work queued or a
// callback running, or `realTimeout` passes; returns whether they were idle. For tests that
// must know every submitted callback has run before they judge or tear down.
WINSIM_API bool WaitForIdleThreadPools(std::chrono::milliseconds realTimeout);

// The architecture that GetNativeSystemInfo reports (PROCESSOR_ARCHITECTURE_*).
WINSIM_API void SetProcessorArchitecture(WORD architecture);

}  // namespace winsim
