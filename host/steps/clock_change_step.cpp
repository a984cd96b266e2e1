#include "host/steps/clock_change_step.h"

#include <fmt/format.h>

#include <chrono>

#include "host/machine/service_host.h"
#include "host/scenario/parser_parts.h"
#include "host/steps/step_context.h"
#include "winapi/control/machine_control.h"

namespace orvhost {

void ClockChangeStep::Read(JsonObject& object) {
    if (auto delta = object.Require("deltaMs")) {
        deltaMs = parse::SignedMs(*delta).value_or(0);
    }
    parse::Optional(object, "eventLog", viaEventLog, [](const JsonNode& n) { return n.Bool(); });
    parse::Optional(object, "control", viaControl, [](const JsonNode& n) { return n.Bool(); });
}

std::string ClockChangeStep::Name() const {
    return fmt::format("clock change of {:+} s", static_cast<double>(deltaMs) / 1000.0);
}

bool ClockChangeStep::Act(StepContext& context) const {
    const auto before = winsim::clock::WallNow();
    if (viaEventLog) {
        winsim::ChangeSystemTime(std::chrono::milliseconds(deltaMs));
    } else {
        winsim::clock::MoveWallClock(std::chrono::milliseconds(deltaMs));
    }
    const auto after = winsim::clock::WallNow();
    if (viaControl) {
        context.Host().SendTimeChange(winsim::clock::ToFileTime(before),
                                      winsim::clock::ToFileTime(after));
    }
    return true;
}

void ClockChangeStep::MoveWall(std::int64_t& forward, std::int64_t& back) const {
    (deltaMs > 0 ? forward : back) += deltaMs;
}

}  // namespace orvhost
