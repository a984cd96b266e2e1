#pragma once
// ServiceHost: the service's life as the host leads it, between the Win32 plumbing of
// service_main.cpp and the library's three entry points. The library and the status sink are
// passed in, so tests drive it without a service control manager.
//
// The order the library relies on, kept here: OnStart first; controls only from OnStart's
// return until OnStop is called (ControlGate); OnStop once, after OnStart has returned.
//
// Status: the host reports START_PENDING, RUNNING, STOP_PENDING and STOPPED, each once and in
// that order (pending ones repeat with a rising checkpoint while OnStart or OnStop runs). The
// one exception is PRESHUTDOWN: the library runs its cleanup on a thread of its own and then
// reports SERVICE_STOPPED itself, so from the moment that control is passed on the host
// reports nothing more, not even after OnStop.

#include <chrono>
#include <functional>

#include "orvsvc/control_gate.h"
#include "orvsvc/one_shot_event.h"
#include "orvsvc/status_reporter.h"
#include "winapi/windows_api.h"

namespace orvsvc {

// The library's entry points as the host calls them: the DLL's own in the service, fakes in
// tests.
struct LibraryEntryPoints {
    std::function<void(SERVICE_STATUS_HANDLE)> onStart;
    std::function<DWORD(DWORD control, DWORD eventType, LPVOID eventData, LPVOID context)>
        onControl;
    std::function<void()> onStop;
};

struct HostTiming {
    // How often the checkpoint rises while OnStart or OnStop runs; well inside the wait hints,
    // so the manager never sees a pending state outlive its hint without progress.
    std::chrono::milliseconds tick{1000};
    DWORD startWaitHintMs = 10000;
    DWORD stopWaitHintMs = 10000;
};

class ServiceHost {
  public:
    // What the running service accepts: the controls the library acts on.
    static constexpr DWORD kControlsAccepted =
        SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN | SERVICE_ACCEPT_PRESHUTDOWN |
        SERVICE_ACCEPT_POWEREVENT | SERVICE_ACCEPT_SESSIONCHANGE | SERVICE_ACCEPT_TIMECHANGE;

    ServiceHost(LibraryEntryPoints library, StatusSink sink, HostTiming timing = {});
    ServiceHost(const ServiceHost&) = delete;
    ServiceHost& operator=(const ServiceHost&) = delete;

    // ServiceMain's thread, once, after the control handler has been registered: reports
    // START_PENDING, calls OnStart (it may block through the whole out-of-box wait), reports
    // RUNNING, waits for a stop request, calls OnStop and reports STOPPED (unless the library
    // owns that report). Returns when OnStop has returned. An exception from OnStart or OnStop
    // ends the service with ERROR_EXCEPTION_IN_SERVICE; OnStop is called after a failed
    // OnStart too, so the library can release what it set up.
    void Run(SERVICE_STATUS_HANDLE statusHandle);

    // HandlerEx, on the dispatcher's thread; returns at once. Passes every control on while the
    // gate is open, with its arguments unchanged. STOP and SHUTDOWN also report STOP_PENDING and
    // request the stop; PRESHUTDOWN hands the final report to the library and requests the
    // stop. Returns NO_ERROR for controls passed on or acted on (INTERROGATE included),
    // ERROR_CALL_NOT_IMPLEMENTED for a control that arrives while the gate is closed.
    DWORD OnControl(DWORD control, DWORD eventType, LPVOID eventData, LPVOID context);

  private:
    // Runs one entry point while the pending ticker runs; false when an exception left it (it
    // must not unwind into the service manager's thread).
    bool CallWhileTicking(const std::function<void()>& entry);
    void PassOn(DWORD control, DWORD eventType, LPVOID eventData, LPVOID context);
    void RequestStop();

    const LibraryEntryPoints library_;
    const HostTiming timing_;
    StatusReporter reporter_;
    ControlGate gate_;
    OneShotEvent stopRequested_;
};

}  // namespace orvsvc
