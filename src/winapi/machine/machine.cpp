#include "winapi/machine/machine.h"

#include "winapi/win32/system.h"

namespace winsim::detail {

Machine& Machine::Get() {
    // Deliberately never deleted: other libraries may make Win32 calls from their own
    // static destructors, which can run after any destructor of this library.
    static Machine* const machine = new Machine();
    return *machine;
}

void Machine::Shutdown() {
    pools.Shutdown();
    eventlog.Shutdown();
}

void Machine::Reset() {
    Shutdown();
    eventlog.Reset();
    services.Reset();
    registry.Reset();
    kernel.Reset();
    com.Reset();
    failures.Reset();
    clock.Reset();
    architecture_.store(PROCESSOR_ARCHITECTURE_AMD64);
}

namespace {

// Constructed when the library loads, so destroyed after everything that was built on
// top of it: joins the machine's threads before the process ends.
struct ExitGuard {
    ExitGuard() { Machine::Get(); }
    ExitGuard(const ExitGuard&) = delete;
    ExitGuard& operator=(const ExitGuard&) = delete;
    ~ExitGuard() { Machine::Get().Shutdown(); }
};
const ExitGuard g_exit_guard;

}  // namespace

}  // namespace winsim::detail
