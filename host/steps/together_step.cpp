#include "host/steps/together_step.h"

#include <fmt/format.h>

#include <algorithm>

#include "host/scenario/parser_parts.h"
#include "host/scenario/scenario_validator.h"
#include "host/steps/step.h"
#include "host/steps/step_context.h"

namespace orvhost {

void TogetherStep::Read(JsonObject& object) {
    if (auto member = object.Require("steps")) {
        steps = parse::Steps(*member);
        if (steps.size() < 2 && member->value().isArray()) {
            member->Error("\"together\" needs at least two steps");
        }
    }
}

std::string TogetherStep::Name() const {
    return fmt::format("{} steps together", steps.size());
}

bool TogetherStep::Act(StepContext& context) const {
    return context.RunTogether(steps);
}

void TogetherStep::MoveWall(std::int64_t& forward, std::int64_t& back) const {
    for (const Step& inner : steps) {
        validate::WallMoves(inner, forward, back);
    }
}

// The host plays one service host: it never calls OnStart twice at once, nor OnStop.
void TogetherStep::Validate(const Step& step, bool inGroup, Diagnostics& diagnostics) const {
    if (inGroup) {
        return;  // reported as a nested group by the group around it
    }
    const auto count = [&](auto isKind) {
        return std::count_if(steps.begin(), steps.end(),
                             [&](const Step& inner) { return isKind(inner) != nullptr; });
    };
    if (count([](const Step& s) { return s.As<StartStep>(); }) > 1) {
        diagnostics.Add(step.path, "at most one \"start\" may run in a \"together\" group");
    }
    if (count([](const Step& s) { return s.As<StopStep>(); }) > 1) {
        diagnostics.Add(step.path, "at most one \"stop\" may run in a \"together\" group");
    }
    for (const Step& inner : steps) {
        if (inner.As<TogetherStep>()) {
            diagnostics.Add(inner.path, "\"together\" groups do not nest");
        }
    }
    validate::Steps(steps, true, diagnostics);
}

}  // namespace orvhost
