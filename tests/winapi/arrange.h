#pragma once
// The few machine arrangements the Win32 tests need. Everything else in these tests goes
// through Win32 names only, so porting them to Windows means re-doing this file.

#include <chrono>
#include <string>

#include "winapi/sim/control.h"
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
