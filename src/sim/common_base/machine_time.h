#pragma once
// The simulated machine's wall clock as a std::chrono time point, so that stand-ins stamp
// their records with the time the machine shows (a time change moves it).

#include <chrono>

namespace orvsim {

std::chrono::system_clock::time_point MachineNow();

}  // namespace orvsim
