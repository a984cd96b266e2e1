#pragma once
// The actions of the steps that act on the machine, the bus or the service and need nothing
// of the timeline (the runner carries out start, stop, waitFor, check and together itself).
// Each throws std::exception when the action cannot be carried out at all.

#include "host/run/service_host.h"
#include "host/scenario/scenario_model.h"

namespace orvhost {

void Act(ServiceHost& host, const ControlStep& step);
void Act(ServiceHost& host, const SessionChangeStep& step);
void Act(ServiceHost& host, const PowerEventStep& step);
void Act(ServiceHost& host, const TimeChangeStep& step);
void Act(ServiceHost& host, const ClockChangeStep& step);
void Act(ServiceHost& host, const AdvanceClockStep& step);
void Act(ServiceHost& host, const PublishStep& step);
void Act(ServiceHost& host, const EventLogStep& step);
void Act(ServiceHost& host, const RegistryStep& step);
void Act(ServiceHost& host, const FailStep& step);
void Act(ServiceHost& host, const ArrangeStep& step);
void Act(ServiceHost& host, const PauseStep& step);

}  // namespace orvhost
