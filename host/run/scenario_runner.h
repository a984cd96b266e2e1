#pragma once
// Runs one scenario from start to end: arranges the machine and the client, streams the
// service log, plays the timeline on a timeline thread while a watchdog on the calling thread
// guards each step's time-out, stops the service if the timeline left it running, and judges
// the expectations. The outcome feeds the summary, the report and the timeline trace.
//
// Once per process: the service library keeps per-process state (its agents are taken down
// once per load), so a second scenario in the same process would not see a fresh library.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "host/expectations/expectation.h"
#include "host/run/step_runner.h"
#include "host/scenario/scenario.h"

namespace orvhost {

struct RunOptions {
    std::optional<double> clockScale;  // overrides the scenario's
    std::filesystem::path logDirectory = ".";
    bool streamLog = true;  // the service log on the terminal
};

struct RunResult {
    std::string file;
    std::string name;
    std::string description;
    double clockScale = 1.0;
    std::vector<StepOutcome> steps;
    std::vector<ExpectationResult> expectations;  // those of check steps first, then the end's
    Snapshot evidence;                            // everything recorded
    std::optional<std::string> error;  // the scenario could not run (arrangement, action)
    std::optional<std::string> hung;   // a step outlived its time-out
    std::string logFile;
    std::uint32_t timelineThread = 0;  // the thread that played the timeline

    bool clean() const;    // every step ok, every expectation met, nothing hung
    int ExitCode() const;  // 0 clean, 1 something not met or hung, 2 could not run
};

// Called when a step hangs, with what was recorded so far; it must end the process (the
// service's threads cannot be taken back). Without one, the process ends with status 1.
using HangHandler = std::function<void(const RunResult&)>;

RunResult RunScenario(const Scenario& scenario, const RunOptions& options,
                      const HangHandler& onHang = {});

}  // namespace orvhost
