#pragma once
// OneShotEvent: a flag that any thread sets and any thread waits for; once set it stays set.
// A Win32 manual-reset event underneath, so a waiter that Set() releases touches nothing of
// this object afterwards: its owner may destroy it as soon as the owner's own wait returns,
// even while the setting thread is still on its way out of Set().

#include <chrono>

#include "winapi/scoped_handles.h"

namespace orvsvc {

class OneShotEvent {
  public:
    // Throws std::system_error when Windows cannot create the event.
    OneShotEvent();

    void Set();
    bool IsSet() const;
    void Wait() const;
    // True when the event is set, or becomes set before `timeout` has passed.
    bool WaitFor(std::chrono::milliseconds timeout) const;

  private:
    orvwin::ScopedHandle event_;
};

}  // namespace orvsvc
