#include "platform/diagnostics/diagnostics_manager.h"

#include <atomic>
#include <chrono>

#include "sim/client/client_control.h"
#include "sim/client/client_reset.h"
#include "sim/client/stoppable_wait.h"
#include "sim/common_base/agent_control.h"
#include "sim/trace.h"

namespace {

constexpr char kComponent[] = "DiagnosticsManager";

std::atomic<HANDLE> g_stopEvent{nullptr};  // given by Init, not owned
std::atomic<std::chrono::milliseconds::rep> g_scanMs{0};

}  // namespace

DiagnosticsManager* DiagnosticsManager::GetInstance() {
    const bool missing = orvsim::IsInstanceMissing(kComponent);
    orvsim::TraceCall(kComponent, "GetInstance", missing ? "null" : "instance");
    static DiagnosticsManager manager;
    return missing ? nullptr : &manager;
}

void DiagnosticsManager::Init(HANDLE stopEvent) {
    g_stopEvent = stopEvent;
    orvsim::TraceCall(kComponent, "Init", static_cast<const void*>(stopEvent));
}

void DiagnosticsManager::StartDiagnosticsScan(DWORD controlCode,
                                              std::optional<DiagnosticsParams> params) {
    orvsim::TraceCall(kComponent, "StartDiagnosticsScan", controlCode,
                      params ? params->testName : std::wstring(L"none"));
    const bool completed = orvsim::client::RunUnlessStopped(
        g_stopEvent.load(), std::chrono::milliseconds(g_scanMs.load()));
    orvsim::TraceCall(kComponent, "StartDiagnosticsScanDone", completed ? "completed" : "stopped");
}

namespace orvsim {

void ArrangeDiagnosticsScanDuration(std::chrono::milliseconds duration) {
    g_scanMs = duration.count();
}

namespace client {

void ResetDiagnostics() {
    g_scanMs = 0;
    g_stopEvent = nullptr;
}

}  // namespace client
}  // namespace orvsim
