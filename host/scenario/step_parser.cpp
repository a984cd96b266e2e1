// Reading the timeline: one object per step, its kind in "do". The keys every step shares are
// read here; each kind reads the rest (host/steps/).

#include <limits>

#include "host/scenario/kind_table.h"
#include "host/scenario/parser_parts.h"

namespace orvhost::parse {

namespace {

// Clock moves of up to ten years either way.
constexpr std::int64_t kMaxClockMoveMs = 10LL * 366 * 24 * 3600 * 1000;

// A wait before or after the action.
std::optional<Condition> Wait(const JsonNode& node, bool newByDefault) {
    JsonObject object(node);
    std::optional<Condition> condition = ConditionOf(object, newByDefault);
    object.RejectUnknown();
    return condition;
}

template <class Kind>
void ReadShared(JsonObject& object, Step& step) {
    Optional(object, "name", step.name, [](const JsonNode& n) { return n.NonEmptyString(); });
    object.Take("note");
    Optional(object, "delayMs", step.delayMs, Milliseconds);
    Optional(object, "timeoutMs", step.timeoutMs,
             [](const JsonNode& n) { return n.Integer(1, 3600000); });
    if (auto after = object.Take("after")) {
        step.after = Wait(*after, false);
        if (!TakesAfter<Kind>()) {
            after->Error("\"after\" does not go with \"together\"; give it to the steps inside");
        }
    }
    if (auto until = object.Take("until")) {
        step.until = Wait(*until, true);
        if (!TakesUntil<Kind>()) {
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
    std::visit(
        [&]<class Kind>(Kind& action) {
            ReadShared<Kind>(object, step);
            action.Read(object);
        },
        step.action);
    object.RejectUnknown();
    if (step.name.empty()) {
        step.name = std::visit([](const auto& action) { return action.Name(); }, step.action);
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

std::optional<std::int64_t> SignedMs(const JsonNode& node) {
    return node.Integer(-kMaxClockMoveMs, kMaxClockMoveMs);
}

std::optional<std::uint32_t> CodeOrName(const JsonNode& node, const names::NumberNames& table) {
    if (node.value().isString() &&
        (node.value().asString().starts_with("0x") || node.value().asString().starts_with("0X"))) {
        return Dword(node);
    }
    auto number = node.IntegerOrName(0, std::numeric_limits<std::uint32_t>::max(), table);
    return number ? std::optional<std::uint32_t>(static_cast<std::uint32_t>(*number))
                  : std::nullopt;
}

void Escapes(JsonObject& object, std::optional<ThrownException>& escapes) {
    Optional(object, "escapes", escapes, [](const JsonNode& n) {
        return n.Enum<ThrownException>(
            {{"runtime_error", ThrownException::kRuntimeError},
             {"bad_array_new_length", ThrownException::kBadArrayNewLength}});
    });
}

}  // namespace orvhost::parse
