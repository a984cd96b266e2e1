#pragma once
// Checks across a parsed scenario that no single value shows: conflicting arrangements,
// steps that cannot run together, expectations that can never be met. Runs after the parser
// found the file well formed; reports through the same Diagnostics, by JSON path.
//
// A kind of step or expectation with checks of its own has a Validate member; the kinds that
// hold others call back into the pieces below.

#include <cstdint>
#include <vector>

#include "host/scenario/json_fields.h"
#include "host/scenario/scenario.h"

namespace orvhost {

void ValidateScenario(const Scenario& scenario, Diagnostics& diagnostics);

namespace validate {

// `inGroup`: the steps run together inside a group.
void Steps(const std::vector<Step>& steps, bool inGroup, Diagnostics& diagnostics);
void One(const Expectation& expectation, Diagnostics& diagnostics);
// Arrangements of the client that would silently replace one another.
void Client(const ClientArrangement& client, Diagnostics& diagnostics);
// How far the step moves the machine's wall clock forward and back, steps of a group in any
// order.
void WallMoves(const Step& step, std::int64_t& forward, std::int64_t& back);

}  // namespace validate

}  // namespace orvhost
