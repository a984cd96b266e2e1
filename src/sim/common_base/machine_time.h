#pragma once
// The simulated machine's wall clock as a std::chrono time point, so that stand-ins stamp
// their records with the time the machine shows (a time change moves it).

#include <chrono>
#include <cstdint>

namespace orvsim {

std::chrono::system_clock::time_point MachineNow();

// The machine's tick count `duration` from now, for SleepUntilMachineTick.
std::uint64_t MachineTickAfter(std::chrono::milliseconds duration);

// Sleeps on the machine's clock until its tick count reaches `deadline`. It sleeps in short
// steps and reads the clock between them, so that a jump of the clock ends it wherever the
// jump falls, even before the first step began.
void SleepUntilMachineTick(std::uint64_t deadline);

}  // namespace orvsim
