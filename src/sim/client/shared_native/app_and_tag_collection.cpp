#include "platform/shared_native/app_and_tag_collection.h"

#include <atomic>
#include <chrono>

#include "base/annotated_mutex.h"
#include "sim/client/client_control.h"
#include "sim/client/client_reset.h"
#include "sim/client/stoppable_wait.h"
#include "sim/common_base/agent_control.h"
#include "sim/trace.h"

namespace {

constexpr char kComponent[] = "AppAndTagCollection";

std::atomic<std::chrono::milliseconds::rep> g_collectionMs{0};

// One collection at a time, as the real collection writes one tag store.
tsa::Mutex g_collectionMutex;

const char* Collect(HANDLE stopEvent) {
    tsa::MutexLock lock(g_collectionMutex);
    const bool completed = orvsim::client::RunUnlessStopped(
        stopEvent, std::chrono::milliseconds(g_collectionMs.load()));
    return completed ? "completed" : "stopped";
}

}  // namespace

AppAndTagCollection* AppAndTagCollection::GetInstance() {
    const bool missing = orvsim::IsInstanceMissing(kComponent);
    orvsim::TraceCall(kComponent, "GetInstance", missing ? "null" : "instance");
    static AppAndTagCollection collection;
    return missing ? nullptr : &collection;
}

void AppAndTagCollection::CollectTags(HANDLE stopEvent, bool isArm64, bool includeApps) {
    orvsim::TraceCall(kComponent, "CollectTags", static_cast<const void*>(stopEvent), isArm64,
                      includeApps);
    orvsim::TraceCall(kComponent, "CollectTagsDone", Collect(stopEvent));
}

void AppAndTagCollection::RefreshTags(HANDLE stopEvent, bool isArm64) {
    orvsim::TraceCall(kComponent, "RefreshTags", static_cast<const void*>(stopEvent), isArm64);
    orvsim::TraceCall(kComponent, "RefreshTagsDone", Collect(stopEvent));
}

namespace orvsim {

void ArrangeTagCollectionDuration(std::chrono::milliseconds duration) {
    g_collectionMs = duration.count();
}

namespace client {

void ResetAppAndTagCollection() {
    g_collectionMs = 0;
}

}  // namespace client
}  // namespace orvsim
