#include "sim/client/quiet_trace.h"

namespace orvsim::client {
namespace {

thread_local bool t_quiet = false;

}  // namespace

QuietTrace::QuietTrace() : previous_(t_quiet) {
    t_quiet = true;
}

QuietTrace::~QuietTrace() {
    t_quiet = previous_;
}

bool TraceEnabledHere() {
    return !t_quiet;
}

}  // namespace orvsim::client
