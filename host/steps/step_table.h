#pragma once
// The kinds of step, in the order of the manual: the parser looks a "do" value up here, and
// everything that handles steps visits this variant. A new kind is a file in this folder and a
// row here.

#include <variant>

#include "host/steps/advance_clock_step.h"
#include "host/steps/arrange_step.h"
#include "host/steps/check_step.h"
#include "host/steps/clock_change_step.h"
#include "host/steps/control_step.h"
#include "host/steps/event_log_step.h"
#include "host/steps/fail_step.h"
#include "host/steps/pause_step.h"
#include "host/steps/power_event_step.h"
#include "host/steps/publish_step.h"
#include "host/steps/registry_step.h"
#include "host/steps/session_change_step.h"
#include "host/steps/start_step.h"
#include "host/steps/stop_step.h"
#include "host/steps/time_change_step.h"
#include "host/steps/together_step.h"
#include "host/steps/wait_for_step.h"

namespace orvhost {

using StepAction = std::variant<StartStep, StopStep, ControlStep, SessionChangeStep, PowerEventStep,
                                TimeChangeStep, ClockChangeStep, AdvanceClockStep, PublishStep,
                                EventLogStep, RegistryStep, FailStep, ArrangeStep, PauseStep,
                                WaitForStep, CheckStep, TogetherStep>;

}  // namespace orvhost
