// Time calls over the machine's clock.

#include "winapi/win32/time.h"

#include "base/file_time.h"
#include "winapi/machine/machine.h"

using winsim::detail::Machine;

extern "C" {

__time64_t _time64(__time64_t* timer) {  // NOLINT(bugprone-reserved-identifier)
    const auto now = Machine::Get().clock.WallNow();
    const __time64_t seconds =
        std::chrono::duration_cast<std::chrono::seconds>(now.time_since_epoch()).count();
    if (timer != nullptr) {
        *timer = seconds;
    }
    return seconds;
}

void WINAPI GetSystemTimeAsFileTime(LPFILETIME lpSystemTimeAsFileTime) {
    const auto ticks =
        static_cast<uint64_t>(orvbase::filetime::FromTimePoint(Machine::Get().clock.WallNow()));
    lpSystemTimeAsFileTime->dwLowDateTime = static_cast<DWORD>(ticks & 0xFFFFFFFFu);
    lpSystemTimeAsFileTime->dwHighDateTime = static_cast<DWORD>(ticks >> 32);
}

ULONGLONG WINAPI GetTickCount64() {
    return static_cast<ULONGLONG>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Machine::Get().clock.Now()).count());
}

DWORD WINAPI GetTickCount() {
    return static_cast<DWORD>(GetTickCount64());
}

}  // extern "C"
