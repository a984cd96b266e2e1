// Reading the timeline: one object per step, its kind in "do". The keys every step shares are
// read here; each kind reads the rest (step_kinds.h).

#include "host/scenario/kind_table.h"
#include "host/scenario/step_kinds.h"

namespace orvhost::parse {

namespace {

// A wait before or after the action.
std::optional<Condition> Wait(const JsonNode& node, bool newByDefault) {
    JsonObject object(node);
    std::optional<Condition> condition = ConditionOf(object, newByDefault);
    object.RejectUnknown();
    return condition;
}

void ReadShared(JsonObject& object, Step& step) {
    Optional(object, "name", step.name, [](const JsonNode& n) { return n.NonEmptyString(); });
    object.Take("note");
    Optional(object, "delayMs", step.delayMs, Milliseconds);
    Optional(object, "timeoutMs", step.timeoutMs,
             [](const JsonNode& n) { return n.Integer(1, 3600000); });
    if (auto after = object.Take("after")) {
        step.after = Wait(*after, false);
        if (step.As<TogetherStep>()) {
            after->Error("\"after\" does not go with \"together\"; give it to the steps inside");
        }
    }
    if (auto until = object.Take("until")) {
        step.until = Wait(*until, true);
        if (step.As<WaitForStep>() || step.As<CheckStep>() || step.As<TogetherStep>()) {
            until->Error("\"until\" does not go with this kind of step");
        }
    }
}

Step One(const JsonNode& node) {
    JsonObject object(node);
    Step step;
    step.path = node.path();
    std::optional<std::size_t> kind;
    if (auto member = object.Require("do")) {
        kind = member->Enum(KindTable<StepAction>::Names());
    }
    if (!kind) {
        return step;  // without its kind, the other keys cannot be judged
    }
    step.action = KindTable<StepAction>::Make(*kind);
    ReadShared(object, step);
    std::visit([&](auto& action) { Read(object, action); }, step.action);
    object.RejectUnknown();
    if (step.name.empty()) {
        step.name = std::visit([](const auto& action) { return NameOf(action); }, step.action);
    }
    return step;
}

}  // namespace

std::vector<Step> Steps(const JsonNode& node) {
    std::vector<Step> steps;
    if (auto elements = node.Array()) {
        for (const JsonNode& element : *elements) {
            steps.push_back(One(element));
        }
    }
    return steps;
}

}  // namespace orvhost::parse
