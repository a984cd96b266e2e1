#include "shared/thread_garbage_collector.h"

namespace ORV {

ThreadGarbageCollector::ThreadGarbageCollector() = default;

// Reverse declaration order: the mutex, then the list's storage. The handles themselves are
// the common base library's to close (CleanUp).
ThreadGarbageCollector::~ThreadGarbageCollector() = default;

}  // namespace ORV
