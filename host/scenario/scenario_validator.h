#pragma once
// Checks across a parsed scenario that no single value shows: conflicting arrangements,
// steps that cannot run together, expectations that can never be met. Runs after the parser
// found the file well formed; reports through the same Diagnostics, by JSON path.

#include "host/scenario/json_fields.h"
#include "host/scenario/scenario_model.h"

namespace orvhost {

void ValidateScenario(const Scenario& scenario, Diagnostics& diagnostics);

}  // namespace orvhost
