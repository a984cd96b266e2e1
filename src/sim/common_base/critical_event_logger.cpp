#include <utility>

#include "base/guarded.h"
#include "shared/stateless_helpers.h"
#include "sim/common_base/internal_reset.h"
#include "sim/trace.h"

namespace {

// The class holds no data, so the process-wide callback lives here.
orvbase::Guarded<CriticalEventLogger::Callback> g_callback;

}  // namespace

void CriticalEventLogger::Init(Callback callback) {
    orvsim::TraceCall("CriticalEventLogger", "Init", callback ? "callback" : "empty");
    g_callback.With([&](CriticalEventLogger::Callback& kept) { kept = std::move(callback); });
}

namespace orvsim::internal {

void ResetCriticalEventCallback() {
    g_callback.Reset();
}

}  // namespace orvsim::internal
