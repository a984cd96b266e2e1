#include "host/steps/pause_step.h"

#include <fmt/format.h>

#include "host/scenario/parser_parts.h"
#include "winapi/control/machine_control.h"

namespace orvhost {

void PauseStep::Read(JsonObject& object) {
    if (auto ms = object.Require("ms")) {
        durationMs = parse::Milliseconds(*ms).value_or(0);
    }
}

std::string PauseStep::Name() const {
    return fmt::format("pause {} ms", durationMs);
}

bool PauseStep::Act(StepContext&) const {
    Sleep(static_cast<DWORD>(durationMs));
    return true;
}

void PauseStep::MoveWall(std::int64_t& forward, std::int64_t&) const {
    forward += durationMs;
}

}  // namespace orvhost
