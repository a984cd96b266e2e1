#include "winapi/control/clock.h"

#include "base/file_time.h"
#include "winapi/machine/machine.h"

namespace winsim::clock {

namespace {
detail::Clock& TheClock() {
    return detail::Machine::Get().clock;
}
}  // namespace

void SetScale(double factor) {
    TheClock().SetScale(factor);
}

double Scale() {
    return TheClock().Scale();
}

void Advance(std::chrono::milliseconds elapsed) {
    TheClock().Advance(detail::Clock::WallDelta(elapsed));
}

void MoveWallClock(std::chrono::milliseconds delta) {
    TheClock().MoveWall(detail::Clock::WallDelta(delta));
}

void SetWallClock(std::chrono::system_clock::time_point now) {
    TheClock().SetWall(now);
}

std::chrono::milliseconds MonotonicNow() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(TheClock().Now());
}

std::chrono::system_clock::time_point WallNow() {
    return TheClock().WallNow();
}

int64_t ToFileTime(std::chrono::system_clock::time_point t) {
    return orvbase::filetime::FromTimePoint(t);
}

}  // namespace winsim::clock
