#pragma once
// The summary orvhost prints at the end of a run.

#include <string>

#include "host/default_scenario.h"
#include "host/service_host.h"

namespace orvhost {

std::string FormatRunSummary(const ServiceHost& host, const RunOutcome& outcome);

}  // namespace orvhost
