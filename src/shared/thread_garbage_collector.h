#pragma once
// ORV::ThreadGarbageCollector: the process-wide collector of the client's finished threads.
// The common base library provides GetInstance, AddThread and CleanUp; this library provides
// the (private) constructor and destructor, exported.

#include <mutex>
#include <vector>

#include "shared/export.h"

namespace ORV {

class ThreadGarbageCollector {
  public:
    ThreadGarbageCollector(const ThreadGarbageCollector&) = delete;
    ThreadGarbageCollector& operator=(const ThreadGarbageCollector&) = delete;

    // Common base library. GetInstance: the process-wide collector, created on first use and
    // destroyed at process exit.
    static ThreadGarbageCollector* GetInstance();
    // Hands over a thread handle to be reclaimed once the thread has finished. Any thread.
    void AddThread(void* threadHandle);
    // Reclaims the threads handed over so far. Any thread.
    void CleanUp();

  private:
    ORV_EXPORT ThreadGarbageCollector();   // empty list, fresh mutex
    ORV_EXPORT ~ThreadGarbageCollector();  // destroys the mutex, then frees the list's storage

    // Handles of threads to reclaim; plain values, not destroyed one by one. Guarded by mutex_.
    std::vector<void*> threads_;
    std::mutex mutex_;
};

}  // namespace ORV
