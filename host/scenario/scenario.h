#pragma once
// The in-memory form of a scenario file: what to arrange, the timeline of steps and the
// expectations. Built by the parser, checked by the validator, read by the runner.

#include <cstdint>
#include <string>
#include <vector>

#include "host/expectations/expectation.h"
#include "host/scenario/scenario_model.h"
#include "host/steps/step.h"

namespace orvhost {

struct Scenario {
    std::string file;  // where it came from ("(embedded default)" for the default)
    std::string name;
    std::string description;
    std::int64_t timeoutMs = 60000;  // real time, for every wait without its own
    MachineArrangement machine;
    ClientArrangement client;
    std::vector<Step> timeline;
    std::vector<Expectation> expectations;
};

}  // namespace orvhost
