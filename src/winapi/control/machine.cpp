#include "winapi/control/machine.h"

#include "winapi/control/eventlog.h"
#include "winapi/machine/machine.h"

namespace winsim {

void ResetMachine() {
    detail::Machine::Get().Reset();
}

void ChangeSystemTime(std::chrono::milliseconds delta) {
    detail::Clock& clock = detail::Machine::Get().clock;
    const auto old_time = clock.WallNow();
    clock.MoveWall(detail::Clock::WallDelta(delta));
    eventlog::PublishSystem(eventlog::TimeChangeEventXml(old_time, old_time + delta));
}

bool WaitForIdleThreadPools(std::chrono::milliseconds realTimeout) {
    return detail::Machine::Get().pools.WaitIdle(std::chrono::steady_clock::now() + realTimeout);
}

void SetProcessorArchitecture(WORD architecture) {
    detail::Machine::Get().SetProcessorArchitecture(architecture);
}

}  // namespace winsim
