#include "host/steps/advance_clock_step.h"

#include <fmt/format.h>

#include <chrono>

#include "host/scenario/parser_parts.h"
#include "winapi/control/machine_control.h"

namespace orvhost {

void AdvanceClockStep::Read(JsonObject& object) {
    if (auto ms = object.Require("ms")) {
        durationMs = parse::Milliseconds(*ms).value_or(0);
    }
}

std::string AdvanceClockStep::Name() const {
    return fmt::format("let {} ms pass at once", durationMs);
}

bool AdvanceClockStep::Act(StepContext&) const {
    winsim::clock::Advance(std::chrono::milliseconds(durationMs));
    return true;
}

void AdvanceClockStep::MoveWall(std::int64_t& forward, std::int64_t&) const {
    forward += durationMs;
}

}  // namespace orvhost
