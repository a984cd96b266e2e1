#include "orvsvc/status_reporter.h"

#include <utility>

namespace orvsvc {

namespace {

// Position of a state in the one order the manager accepts; 0 for none yet.
int Rank(DWORD state) {
    switch (state) {
        case SERVICE_START_PENDING:
            return 1;
        case SERVICE_RUNNING:
            return 2;
        case SERVICE_STOP_PENDING:
            return 3;
        case SERVICE_STOPPED:
            return 4;
        default:
            return 0;
    }
}

bool IsPending(DWORD state) {
    return state == SERVICE_START_PENDING || state == SERVICE_STOP_PENDING;
}

}  // namespace

StatusReporter::StatusReporter(StatusSink sink) : sink_(std::move(sink)) {}

void StatusReporter::Attach(SERVICE_STATUS_HANDLE handle) {
    tsa::MutexLock lock(mutex_);
    handle_ = handle;
}

bool StatusReporter::StartPending(DWORD waitHintMs) {
    tsa::MutexLock lock(mutex_);
    return Report(SERVICE_START_PENDING, 0, waitHintMs, NO_ERROR);
}

bool StatusReporter::Running(DWORD controlsAccepted) {
    tsa::MutexLock lock(mutex_);
    return Report(SERVICE_RUNNING, controlsAccepted, 0, NO_ERROR);
}

bool StatusReporter::StopPending(DWORD waitHintMs) {
    tsa::MutexLock lock(mutex_);
    return Report(SERVICE_STOP_PENDING, 0, waitHintMs, NO_ERROR);
}

bool StatusReporter::Stopped(DWORD win32ExitCode) {
    tsa::MutexLock lock(mutex_);
    return Report(SERVICE_STOPPED, 0, 0, win32ExitCode);
}

bool StatusReporter::Tick() {
    tsa::MutexLock lock(mutex_);
    if (!IsPending(last_.dwCurrentState)) {
        return false;
    }
    return Report(last_.dwCurrentState, 0, last_.dwWaitHint, NO_ERROR);
}

void StatusReporter::HandOver() {
    tsa::MutexLock lock(mutex_);
    handedOver_ = true;
}

DWORD StatusReporter::State() const {
    tsa::MutexLock lock(mutex_);
    return last_.dwCurrentState;
}

bool StatusReporter::Report(DWORD state, DWORD controlsAccepted, DWORD waitHintMs,
                            DWORD win32ExitCode) {
    const DWORD previous = last_.dwCurrentState;
    const bool repeat = state == previous && IsPending(state);
    if (handedOver_ || handle_ == nullptr || (!repeat && Rank(state) <= Rank(previous))) {
        return false;
    }
    SERVICE_STATUS status{};
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = state;
    status.dwControlsAccepted = controlsAccepted;
    status.dwWin32ExitCode = win32ExitCode;
    // The manager reads progress from the checkpoint, which counts up within a pending state
    // and is 0 outside one.
    status.dwCheckPoint = !IsPending(state) ? 0 : repeat ? last_.dwCheckPoint + 1 : 1;
    status.dwWaitHint = waitHintMs;
    last_ = status;
    return sink_(handle_, status);
}

}  // namespace orvsvc
