#pragma once
// StateBook: the state a stand-in keeps for the control API to read back, under one lock.
// Derived books add the operations that change it; any thread may call any of them.

#include "base/annotated_mutex.h"

namespace orvsim::client {

template <class T>
class StateBook {
  public:
    // A copy of the state as it is now.
    T State() EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        return state_;
    }

    // Back to the state's defaults.
    void Reset() EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        state_ = {};
    }

  protected:
    tsa::Mutex mutex_;
    T state_ GUARDED_BY(mutex_);
};

}  // namespace orvsim::client
