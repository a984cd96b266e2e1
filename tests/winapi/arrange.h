#pragma once
// Machine arrangements shared by the Win32 tests. The tests act and assert through Win32
// names; winsim:: calls in them only arrange the machine (other processes' objects and
// registry writes, published events, injected failures) or read what no Win32 call shows
// (the list of status reports).

#include <chrono>
#include <string>

#include "winapi/control/control.h"
#include "winapi/windows_api.h"

namespace arrange {

inline void FreshMachine() {
    winsim::ResetMachine();
}

// Runs every sleep and timed wait `factor` times faster than real time.
inline void ClockScale(double factor) {
    winsim::clock::SetScale(factor);
}

// Real-time stopwatch for loose upper bounds (the machine's clock may be scaled).
class RealStopwatch {
  public:
    std::chrono::milliseconds Elapsed() const {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - start_);
    }

  private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace arrange
