#include "sim/client/stoppable_wait.h"

namespace orvsim::client {

bool RunUnlessStopped(HANDLE stopEvent, std::chrono::milliseconds duration) {
    const DWORD ms = duration.count() > 0 ? static_cast<DWORD>(duration.count()) : 0;
    if (stopEvent == nullptr) {
        if (ms > 0) {
            Sleep(ms);
        }
        return true;
    }
    return WaitForSingleObject(stopEvent, ms) == WAIT_TIMEOUT;
}

}  // namespace orvsim::client
