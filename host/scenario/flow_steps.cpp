// The steps that shape the timeline itself: waits, checks and groups run together.

#include <fmt/format.h>

#include "host/scenario/step_kinds.h"

namespace orvhost::parse {

// ---- waitFor ------------------------------------------------------------------------------

void Read(JsonObject& object, WaitForStep& step) {
    step.condition = ConditionOf(object, false).value_or(Condition{});
}

std::string NameOf(const WaitForStep&) {
    return "wait";
}

// ---- check --------------------------------------------------------------------------------

void Read(JsonObject& object, CheckStep& step) {
    if (auto expect = object.Require("expect")) {
        step.expectations = Expectations(*expect);
    }
}

std::string NameOf(const CheckStep&) {
    return "check expectations";
}

// ---- together -----------------------------------------------------------------------------

void Read(JsonObject& object, TogetherStep& step) {
    if (auto steps = object.Require("steps")) {
        step.steps = Steps(*steps);
        if (step.steps.size() < 2 && steps->value().isArray()) {
            steps->Error("\"together\" needs at least two steps");
        }
    }
}

std::string NameOf(const TogetherStep& step) {
    return fmt::format("{} steps together", step.steps.size());
}

}  // namespace orvhost::parse
