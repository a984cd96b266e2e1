#include "platform/shared_native/applicability_evaluator.h"

#include <atomic>

#include "sim/client/client_reset.h"
#include "sim/client/owned_instance.h"
#include "sim/common_base/agent_control.h"
#include "sim/trace.h"

namespace {

constexpr char kComponent[] = "ApplicabilityEvaluator";

std::atomic<HANDLE> g_stoppingHandle{nullptr};  // the service's stop event, not owned

// Whether an evaluator has been uninitialised; one evaluator exists at a time.
std::atomic<bool> g_uninitialized{false};

orvsim::client::OwnedInstance<ApplicabilityEvaluator>& Instance() {
    static orvsim::client::OwnedInstance<ApplicabilityEvaluator> instance;
    return instance;
}

bool Stopping() {
    const HANDLE stopping = g_stoppingHandle.load();
    return stopping != nullptr && WaitForSingleObject(stopping, 0) != WAIT_TIMEOUT;
}

}  // namespace

ApplicabilityEvaluator* ApplicabilityEvaluator::GetInstance() {
    const bool missing = orvsim::IsInstanceMissing(kComponent);
    orvsim::TraceCall(kComponent, "GetInstance", missing ? "null" : "instance");
    return missing ? nullptr : Instance().Get([] { return new ApplicabilityEvaluator(); });
}

ApplicabilityEvaluator::ApplicabilityEvaluator() {
    g_uninitialized = false;
}

ApplicabilityEvaluator::~ApplicabilityEvaluator() {
    Instance().Forget(this);
}

void ApplicabilityEvaluator::SetOrvIsStoppingHandle(HANDLE stopEvent) {
    g_stoppingHandle = stopEvent;
    orvsim::TraceCall(kComponent, "SetOrvIsStoppingHandle", static_cast<const void*>(stopEvent));
}

void ApplicabilityEvaluator::RefreshPersonaTagMonitoring() {
    orvsim::TraceCall(kComponent, "RefreshPersonaTagMonitoring");
    const char* outcome = "refreshed";
    if (g_uninitialized) {
        outcome = "uninitialized";
    } else if (Stopping()) {
        outcome = "stopping";
    }
    orvsim::TraceCall(kComponent, "RefreshPersonaTagMonitoringDone", outcome);
}

void ApplicabilityEvaluator::Uninit() {
    g_uninitialized = true;
    orvsim::TraceCall(kComponent, "Uninit");
}

namespace orvsim::client {

void ResetApplicabilityEvaluator() {
    g_stoppingHandle = nullptr;
}

}  // namespace orvsim::client
