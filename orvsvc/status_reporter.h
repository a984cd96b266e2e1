#pragma once
// StatusReporter: the host's side of service status reporting. It keeps what reaches the
// service control manager in a legal order:
//   START_PENDING -> RUNNING -> STOP_PENDING -> STOPPED
// A state may be skipped, never revisited; a pending state may repeat, each time with the next
// checkpoint. Any other report is refused (not passed on). After HandOver() nothing at all is
// reported: on pre-shutdown the library reports SERVICE_STOPPED itself, and a report of ours
// that arrived after it would be out of order.
//
// Threads: ServiceMain's thread, the control handler's thread and the pending ticker call it,
// also at once. One mutex serialises the reports, so the manager receives them in the order in
// which the state changed.

#include <functional>

#include "base/annotated_mutex.h"
#include "winapi/windows_api.h"

namespace orvsvc {

// Passes one status on: SetServiceStatus in the service, a recorder in tests. False when the
// manager rejected it.
using StatusSink = std::function<bool(SERVICE_STATUS_HANDLE, const SERVICE_STATUS&)>;

class StatusReporter {
  public:
    explicit StatusReporter(StatusSink sink);

    // The handle from RegisterServiceCtrlHandlerExW; reports before it are refused.
    void Attach(SERVICE_STATUS_HANDLE handle);

    // Each returns true when the status was passed on and the sink accepted it. The state
    // advances even when the sink fails: the order stays legal whatever the manager did.
    bool StartPending(DWORD waitHintMs);
    bool Running(DWORD controlsAccepted);
    bool StopPending(DWORD waitHintMs);
    bool Stopped(DWORD win32ExitCode);
    // Repeats the current pending state with the next checkpoint; false in any other state.
    bool Tick();

    // From now on the library owns the final report; this reporter reports nothing more.
    // Returns once a report in progress on another thread has been passed on.
    void HandOver();

    // The last state passed on; 0 before the first.
    DWORD State() const;

  private:
    bool Report(DWORD state, DWORD controlsAccepted, DWORD waitHintMs, DWORD win32ExitCode)
        REQUIRES(mutex_);

    mutable tsa::Mutex mutex_;
    const StatusSink sink_;  // called only with mutex_ held
    SERVICE_STATUS_HANDLE handle_ GUARDED_BY(mutex_) = nullptr;
    SERVICE_STATUS last_ GUARDED_BY(mutex_) = {};
    bool handedOver_ GUARDED_BY(mutex_) = false;
};

}  // namespace orvsvc
