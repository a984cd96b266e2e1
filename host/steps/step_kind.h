#pragma once
// What every kind of step's header needs. A kind is a struct with
//   static constexpr std::string_view kName;      its "do" value in the file
//   void Read(JsonObject& object);                its own keys, after those every step shares
//   std::string Name() const;                     the step's name when the file gives none
//   bool Act(StepContext& context) const;         false once context.Fail said why
// and, only where the kind differs from the rest: kTakesAfter / kTakesUntil (false),
// MachineTimeMs() (machine time the action takes by itself), MoveWall(forward, back) (how far it
// moves the machine's wall clock forward and back), Validate(step, inGroup, diagnostics)
// (cross-checks that reading one object cannot make). Its row in step_table.h makes it part of
// the file format.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/scenario/scenario_model.h"

namespace orvhost {

class Diagnostics;
class JsonObject;
class StepContext;
struct Step;

}  // namespace orvhost
