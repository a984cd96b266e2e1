#pragma once
// Guarded<T>: one value under one lock, read back whole and reset whole. Derived types add
// the operations that change it (locking mutex_ and touching state_, which the analysis
// checks); a holder that adds none changes it through With. Any thread may call any of them.

#include <utility>

#include "base/annotated_mutex.h"

namespace orvbase {

template <class T>
class Guarded {
  public:
    // A copy of the value as it is now.
    T State() EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        return state_;
    }

    // Back to the value's defaults.
    void Reset() EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        state_ = {};
    }

    // What `fn(T&)` returns, run with the lock held: `fn` must not call back into this.
    template <class Fn>
    decltype(auto) With(Fn&& fn) EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        return std::forward<Fn>(fn)(state_);
    }

  protected:
    tsa::Mutex mutex_;
    T state_ GUARDED_BY(mutex_);
};

}  // namespace orvbase
