#include <utility>

#include "base/annotated_mutex.h"
#include "shared/stateless_helpers.h"
#include "sim/common_base/internal_reset.h"
#include "sim/trace.h"

namespace {

// The class holds no data, so the process-wide callback lives here.
tsa::Mutex g_callbackMutex;
CriticalEventLogger::Callback g_callback GUARDED_BY(g_callbackMutex);

}  // namespace

void CriticalEventLogger::Init(Callback callback) {
    orvsim::TraceCall("CriticalEventLogger", "Init", callback ? "callback" : "empty");
    tsa::MutexLock lock(g_callbackMutex);
    g_callback = std::move(callback);
}

namespace orvsim::internal {

void ResetCriticalEventCallback() {
    tsa::MutexLock lock(g_callbackMutex);
    g_callback = nullptr;
}

}  // namespace orvsim::internal
