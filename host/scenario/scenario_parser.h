#pragma once
// Loading a scenario: JSON text (jsoncpp, strict: no trailing commas, no duplicate keys,
// nothing after the document; // and /* */ comments allowed) into the model, then the
// validator's cross-checks. Nothing is run here.
//
// Every problem is reported as "<file>: <JSON path>: <what was expected>"; a file with any
// problem yields no scenario.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <json/value.h>

#include "host/scenario/json_fields.h"
#include "host/scenario/scenario.h"

namespace orvhost {

struct LoadResult {
    std::optional<Scenario> scenario;  // set exactly when errors is empty
    std::vector<std::string> errors;
};

LoadResult LoadScenarioFile(const std::filesystem::path& file);
// `source` names the text in messages (a file name, "(embedded default)").
LoadResult LoadScenarioText(std::string_view text, const std::string& source);

// The model of a parsed document; problems go to `diagnostics`.
Scenario ParseScenario(const Json::Value& root, Diagnostics& diagnostics);

}  // namespace orvhost
