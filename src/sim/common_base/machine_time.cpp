#include "sim/common_base/machine_time.h"

#include <algorithm>
#include <cstdint>

#include "winapi/windows_api.h"

namespace orvsim {

std::chrono::system_clock::time_point MachineNow() {
    // FILETIME counts 100 ns units since 1601-01-01; the Unix epoch is 11644473600 s later.
    constexpr std::int64_t kUnitsPerSecond = 10000000;
    constexpr std::int64_t kEpochDifferenceUnits = 11644473600LL * kUnitsPerSecond;
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    const auto units = static_cast<std::int64_t>(
        (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
    const std::chrono::duration<std::int64_t, std::ratio<1, kUnitsPerSecond>> sinceEpoch(
        units - kEpochDifferenceUnits);
    return std::chrono::system_clock::time_point(
        std::chrono::duration_cast<std::chrono::system_clock::duration>(sinceEpoch));
}

std::uint64_t MachineTickAfter(std::chrono::milliseconds duration) {
    return GetTickCount64() +
           static_cast<std::uint64_t>(std::max<std::int64_t>(duration.count(), 0));
}

void SleepUntilMachineTick(std::uint64_t deadline) {
    constexpr std::uint64_t kStepMs = 1000;
    for (std::uint64_t now = GetTickCount64(); now < deadline; now = GetTickCount64()) {
        Sleep(static_cast<DWORD>(std::min(deadline - now, kStepMs)));
    }
}

}  // namespace orvsim
