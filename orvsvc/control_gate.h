#pragma once
// ControlGate: lets controls through to the library only while it may take them, from the
// return of OnStart until the call of OnStop. Closed when constructed.
//
// Threads: the control handler's thread passes controls through IfOpen; ServiceMain's thread
// opens and closes the gate. A control is passed on under the gate's lock, so once Close() has
// returned no control is being passed on and none will be: OnStop never overlaps one.

#include "base/annotated_mutex.h"

namespace orvsvc {

class ControlGate {
  public:
    void Open() {
        tsa::MutexLock lock(mutex_);
        open_ = true;
    }

    // Returns once a control being passed on has been passed on.
    void Close() {
        tsa::MutexLock lock(mutex_);
        open_ = false;
    }

    // Runs `pass` under the gate's lock if the gate is open; false (and `pass` not run) if not.
    // `pass` must not block: ServiceMain waits for it in Close().
    template <typename Pass>
    bool IfOpen(Pass&& pass) {
        tsa::MutexLock lock(mutex_);
        if (!open_) {
            return false;
        }
        pass();
        return true;
    }

  private:
    tsa::Mutex mutex_;
    bool open_ GUARDED_BY(mutex_) = false;
};

}  // namespace orvsvc
