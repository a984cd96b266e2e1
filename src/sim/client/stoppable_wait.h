#pragma once
// Long-running stand-in work (a scan, a tag collection) that a stop event cuts short.

#include <chrono>

#include "winapi/windows_api.h"

namespace orvsim::client {

// Waits `duration` on the machine's clock unless stopEvent is (or becomes) signalled. True when
// the work ran to its end; false when it was stopped. A null stopEvent only waits; a closed
// one counts as a stop.
bool RunUnlessStopped(HANDLE stopEvent, std::chrono::milliseconds duration);

}  // namespace orvsim::client
