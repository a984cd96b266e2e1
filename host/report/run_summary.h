#pragma once
// The summary orvhost prints at the end of a run: phase timings, controls, bus traffic, the
// final startup configuration, each step and each expectation, with the nearest log lines
// for what failed.

#include <string>

#include "host/run/scenario_runner.h"

namespace orvhost {

std::string FormatRunSummary(const RunResult& result);

}  // namespace orvhost
