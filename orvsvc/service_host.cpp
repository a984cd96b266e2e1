#include "orvsvc/service_host.h"

#include <utility>

#include "orvsvc/pending_ticker.h"

namespace orvsvc {

ServiceHost::ServiceHost(LibraryEntryPoints library, StatusSink sink, HostTiming timing)
    : library_(std::move(library)), timing_(timing), reporter_(std::move(sink)) {}

void ServiceHost::Run(SERVICE_STATUS_HANDLE statusHandle) {
    reporter_.Attach(statusHandle);
    reporter_.StartPending(timing_.startWaitHintMs);
    DWORD exitCode = NO_ERROR;
    if (CallWhileTicking([&] { library_.onStart(statusHandle); })) {
        // Open before RUNNING: the manager sends STOP as soon as it sees RUNNING.
        gate_.Open();
        reporter_.Running(kControlsAccepted);
        stopRequested_.Wait();
    } else {
        exitCode = ERROR_EXCEPTION_IN_SERVICE;
        reporter_.StopPending(timing_.stopWaitHintMs);
    }
    gate_.Close();
    if (!CallWhileTicking([&] { library_.onStop(); })) {
        exitCode = ERROR_EXCEPTION_IN_SERVICE;
    }
    reporter_.Stopped(exitCode);
}

DWORD ServiceHost::OnControl(DWORD control, DWORD eventType, LPVOID eventData, LPVOID context) {
    const auto passOn = [&] { PassOn(control, eventType, eventData, context); };
    switch (control) {
        case SERVICE_CONTROL_PRESHUTDOWN:
            // Handed over before the library sees the control, so that its SERVICE_STOPPED is
            // the last report. With the gate closed the library never sees it and reports
            // nothing: then the host stops the service as for STOP.
            if (gate_.IfOpen([&] {
                    reporter_.HandOver();
                    passOn();
                })) {
                stopRequested_.Set();
                return NO_ERROR;
            }
            RequestStop();
            return NO_ERROR;
        case SERVICE_CONTROL_STOP:
        case SERVICE_CONTROL_SHUTDOWN:
            gate_.IfOpen(passOn);
            RequestStop();
            return NO_ERROR;
        default:
            if (gate_.IfOpen(passOn) || control == SERVICE_CONTROL_INTERROGATE) {
                return NO_ERROR;
            }
            return ERROR_CALL_NOT_IMPLEMENTED;
    }
}

bool ServiceHost::CallWhileTicking(const std::function<void()>& entry) {
    PendingTicker ticker(reporter_, timing_.tick);
    try {
        entry();
        return true;
    } catch (...) {
        return false;
    }
}

void ServiceHost::PassOn(DWORD control, DWORD eventType, LPVOID eventData, LPVOID context) {
    try {
        library_.onControl(control, eventType, eventData, context);
    } catch (...) {
        // Only a failed allocation can leave it; the control is lost as a dropped one would
        // be, and the service goes on.
    }
}

void ServiceHost::RequestStop() {
    reporter_.StopPending(timing_.stopWaitHintMs);
    stopRequested_.Set();
}

}  // namespace orvsvc
