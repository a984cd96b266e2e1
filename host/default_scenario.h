#pragma once
// The short scenario orvhost runs without a scenario file: start, full initialisation, a user
// logon, a maintenance control (220), a resume from sleep, a configuration-policy change and
// a clock change of +90 s, then the stop.

#include <functional>
#include <string>
#include <vector>

#include "host/service_host.h"

namespace orvhost {

struct StepOutcome {
    std::string name;
    bool ok = false;
    std::string detail;  // what was awaited, when it did not come
};

struct RunOutcome {
    std::vector<StepOutcome> steps;
    bool clean() const;
};

// Runs the scenario against the service through `host`; `announce` is told each step's
// name before it runs.
RunOutcome RunDefaultScenario(ServiceHost& host,
                              const std::function<void(const std::string&)>& announce);

}  // namespace orvhost
