#pragma once
// Starting one of the service's own threads (worker, startup-type watcher, agent take-down).
//
// On Windows this is std::thread itself. On the simulated machine the start goes through the
// machine first, so that a failure can be arranged (winsim::failures::Call::CreateThread): it
// fails as std::thread fails when the system has no thread to give, with std::system_error,
// and no thread is started. std::thread alone offers no such seam.
//
// Any thread may call it; the caller owns the returned thread and must join it.

#include <functional>
#include <thread>

#include "winapi/windows_api.h"

namespace orvwin {

WINSIM_API std::thread StartThread(std::function<void()> body);

}  // namespace orvwin
