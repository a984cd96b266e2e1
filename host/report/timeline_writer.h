#pragma once
// The run as a trace in the Chrome trace-event format (orvhost run --timeline FILE), which
// Perfetto and chrome://tracing open: one track per thread (the timeline, the service start,
// the worker with its phases and waits, the stop task and cleanup, the control pool, the bus,
// the event-log callbacks, the startup-type watcher, each agent's uninitialise thread), with
// every log line and every call into a stand-in as a mark, and spans for the entry points,
// the steps, the phases between log lines and the agents' Init/FullInit/UnInit. Times are the
// simulated machine's clock.

#include <json/value.h>

#include "host/run/scenario_runner.h"

namespace orvhost {

Json::Value TimelineJson(const RunResult& result);

}  // namespace orvhost
