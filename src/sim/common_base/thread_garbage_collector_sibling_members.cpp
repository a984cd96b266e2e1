#include "shared/thread_garbage_collector.h"

#include <algorithm>

#include "sim/trace.h"
#include "winapi/windows_api.h"

namespace ORV {
namespace {

constexpr char kComponent[] = "ORV::ThreadGarbageCollector";

}  // namespace

ThreadGarbageCollector* ThreadGarbageCollector::GetInstance() {
    orvsim::TraceCall(kComponent, "GetInstance");
    static ThreadGarbageCollector instance;
    return &instance;
}

void ThreadGarbageCollector::AddThread(void* threadHandle) {
    orvsim::TraceCall(kComponent, "AddThread", threadHandle);
    if (threadHandle == nullptr) {
        return;
    }
    std::lock_guard lock(mutex_);
    threads_.push_back(threadHandle);
}

void ThreadGarbageCollector::CleanUp() {
    std::size_t reclaimed = 0;
    std::size_t remaining = 0;
    {
        std::lock_guard lock(mutex_);
        // A thread's handle is signalled once the thread has ended. Threads still running stay
        // for a later clean-up; every other handle (ended, or no longer valid) is reclaimed.
        auto finished = std::partition(threads_.begin(), threads_.end(), [](void* handle) {
            return WaitForSingleObject(handle, 0) == WAIT_TIMEOUT;
        });
        for (auto it = finished; it != threads_.end(); ++it) {
            CloseHandle(*it);
        }
        reclaimed = static_cast<std::size_t>(threads_.end() - finished);
        threads_.erase(finished, threads_.end());
        remaining = threads_.size();
    }
    orvsim::TraceCall(kComponent, "CleanUp", reclaimed, remaining);
}

}  // namespace ORV
