#include "sim/common_base/machine_time.h"

#include <algorithm>
#include <cstdint>

#include "base/file_time.h"
#include "winapi/windows_api.h"

namespace orvsim {

std::chrono::system_clock::time_point MachineNow() {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return orvbase::filetime::ToTimePoint(static_cast<std::int64_t>(
        (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime));
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
