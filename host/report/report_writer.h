#pragma once
// The outcome of a run as JSON (orvhost run --report FILE): the scenario, the result and
// exit status, the figures of the summary, each step and each expectation with what was found
// and the nearest log lines, and every line of the service log. docs/scenarios.md describes
// the layout.

#include <filesystem>
#include <string>
#include <vector>

#include <json/value.h>

#include "host/run/scenario_runner.h"

namespace orvhost {

Json::Value ReportJson(const RunResult& result);
// The report of a scenario file that could not be loaded (exit status 2).
Json::Value InvalidScenarioReport(const std::string& file, const std::vector<std::string>& errors);

// Writes `report` to `file`; false (with a message on stderr) when it cannot.
bool WriteJsonFile(const std::filesystem::path& file, const Json::Value& report);

}  // namespace orvhost
