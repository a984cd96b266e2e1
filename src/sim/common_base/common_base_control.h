#pragma once
// The control API of the common base stand-ins, for tests and orvhost: arrange what the
// stand-ins answer, read back what they were told. All of it in namespace orvsim.
//
//   agent_control.h               agents' durations and failures, absent instances
//   environment_control.h         OOBE, registration outcome, manufacturer, sessions, ...
//   log_control.h                 the log lines kept in memory, extra sinks, log directory
//   operational_events_control.h  the operational events reported
//   sim/trace.h                   the process-wide call trace

#include "sim/common_base/agent_control.h"
#include "sim/common_base/environment_control.h"
#include "sim/common_base/log_control.h"
#include "sim/common_base/operational_events_control.h"
#include "sim/trace.h"

namespace orvsim {

// Puts every common base stand-in back to its defaults: agent arrangements, environment
// arrangements (and no active user session), g_log (no file, every level, no lines kept), the
// operational events and the manager's realm, the critical-event callback, the agent
// initializer's list, the version text and the exceptions arranged on traced calls. The log
// directory, the agent factory and the call trace are left alone (ClearTrace clears the
// trace). Not to be called while the client runs.
void ResetCommonBase();

}  // namespace orvsim
