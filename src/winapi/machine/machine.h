#pragma once
// The one simulated Windows machine of the process. Its parts are built once, on first
// use, and never destroyed, so that Win32 calls stay valid during static destruction; a
// guard object ends the machine's threads when the library unloads.

#include <atomic>

#include "winapi/machine/clock.h"
#include "winapi/machine/com_state.h"
#include "winapi/machine/event_log.h"
#include "winapi/machine/failure_injector.h"
#include "winapi/machine/kernel.h"
#include "winapi/machine/registry_store.h"
#include "winapi/machine/service_manager.h"
#include "winapi/machine/thread_pool.h"
#include "winapi/win32/system.h"

namespace winsim::detail {

class Machine {
  public:
    static Machine& Get();

    Machine(const Machine&) = delete;
    Machine& operator=(const Machine&) = delete;

    WORD ProcessorArchitecture() const { return architecture_.load(); }
    void SetProcessorArchitecture(WORD architecture) { architecture_.store(architecture); }

    // Ends every thread the machine runs (pools, event-log channel), then forgets all
    // state. The machine stays usable.
    void Reset();
    // Ends every thread the machine runs; used when the process exits.
    void Shutdown();

    // Construction order is dependency order.
    Clock clock;
    FailureInjector failures;
    Kernel kernel{clock};
    Registry registry{kernel};
    ServiceManager services{registry, clock};
    ThreadPools pools;
    EventLog eventlog;
    ComState com;

  private:
    Machine() = default;

    std::atomic<WORD> architecture_{PROCESSOR_ARCHITECTURE_AMD64};
};

}  // namespace winsim::detail
