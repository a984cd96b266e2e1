#pragma once
// The process-wide instance of a stand-in whose caller takes ownership of it: the service puts
// what GetInstance returns under a shared pointer that deletes it. The instance's destructor
// calls Forget, so the next GetInstance makes a fresh one instead of handing out a dangling
// pointer (a service restarted in the same process asks again).

#include "base/annotated_mutex.h"

namespace orvsim::client {

template <class T>
class OwnedInstance {
  public:
    // The instance; `make` builds it (with new) when there is none.
    template <class Make>
    T* Get(Make&& make) EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        if (instance_ == nullptr) {
            instance_ = make();
        }
        return instance_;
    }

    // The instance without making one; null when there is none.
    T* Peek() EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        return instance_;
    }

    // Called by the destructor of `instance`.
    void Forget(const T* instance) EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        if (instance_ == instance) {
            instance_ = nullptr;
        }
    }

  private:
    tsa::Mutex mutex_;
    T* instance_ GUARDED_BY(mutex_) = nullptr;  // owned by whoever GetInstance's caller gave it to
};

}  // namespace orvsim::client
