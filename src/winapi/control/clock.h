#pragma once
// The machine's clock. Sleep, every timed wait, tick counts, _time64 and the system time
// run on it. The monotonic clock (relative waits, tick counts) advances `scale` times as
// fast as real time; the wall clock follows it plus an offset that time changes move.

#include <chrono>
#include <cstdint>

#include "winapi/windows_api.h"

namespace winsim::clock {

// factor > 0; 10 makes a 1000 ms wait take about 100 ms of real time. Waits already
// running adopt the new pace. Throws std::invalid_argument otherwise.
WINSIM_API void SetScale(double factor);
WINSIM_API double Scale();

// The wall clock holds times from 1800 to 2261 (nanosecond counts, with room to run on); the
// calls below that would move it beyond throw std::out_of_range and change nothing.

// Lets `elapsed` pass at once, on both clocks; waits whose time has come return.
WINSIM_API void Advance(std::chrono::milliseconds elapsed);

// Moves only the wall clock (a time change, without the event-log entry that
// winsim::ChangeSystemTime adds). Relative waits are not affected.
WINSIM_API void MoveWallClock(std::chrono::milliseconds delta);
WINSIM_API void SetWallClock(std::chrono::system_clock::time_point now);

// Simulated time since the machine started (or was last reset).
WINSIM_API std::chrono::milliseconds MonotonicNow();
WINSIM_API std::chrono::system_clock::time_point WallNow();

// FILETIME units (100 ns since 1601-01-01 UTC), as SERVICE_TIMECHANGE_INFO carries them.
WINSIM_API int64_t ToFileTime(std::chrono::system_clock::time_point t);

}  // namespace winsim::clock
