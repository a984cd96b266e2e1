#pragma once
// The figures of a run that the summary and the report both show: phase timings on the
// machine's clock, controls delivered, bus traffic, the final startup configuration and the
// number of error lines.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/run/scenario_runner.h"

namespace orvhost {

struct Phase {
    std::string name;
    std::optional<std::chrono::milliseconds> length;  // empty: not reached
};

struct RunFacts {
    std::vector<Phase> phases;
    std::vector<std::string> controls;      // "14/5 sessionChange logon", "220 maintenance", ...
    std::vector<std::string> publications;  // "(4,19)", "(7,1) refused", ...
    std::optional<std::uint32_t> start;     // the service's Start value now
    std::optional<std::uint32_t> delayedAutostart;
    std::string startupConfiguration;  // "Start=2 (automatic), DelayedAutostart=0"
    int errorLines = 0;
};

// Reads the registry for the startup configuration; everything else comes from `result`.
RunFacts GatherFacts(const RunResult& result);

}  // namespace orvhost
