#pragma once
// The stand-ins call each other's members internally (the bus reads a notification's topic,
// destroys its own copies). Those calls are not the caller's and stay out of the call trace:
// a QuietTrace on the stack silences the traced members on this thread.

#include "sim/trace.h"

namespace orvsim::client {

class QuietTrace {
  public:
    QuietTrace();
    ~QuietTrace();
    QuietTrace(const QuietTrace&) = delete;
    QuietTrace& operator=(const QuietTrace&) = delete;

  private:
    bool previous_;
};

// Whether traced members should record their call on this thread.
bool TraceEnabledHere();

// TraceCall unless a QuietTrace is active on this thread.
template <class... Args>
void TraceClientCall(std::string_view component, std::string_view operation, const Args&... args) {
    if (TraceEnabledHere()) {
        TraceCall(component, operation, args...);
    }
}

}  // namespace orvsim::client
