// Reading expectations (each kind reads its own keys: host/expectations/), the matchers they
// share with waits, and wait conditions.

#include <fmt/format.h>

#include <limits>

#include "host/scenario/kind_table.h"
#include "host/scenario/log_pattern.h"
#include "host/scenario/parser_parts.h"
#include "host/scenario/scenario_names.h"

namespace orvhost::parse {

namespace {

constexpr std::int64_t kCountMax = 1000000;

std::optional<std::int32_t> Int32(const JsonNode& node) {
    auto number = node.Integer(std::numeric_limits<std::int32_t>::min(),
                               std::numeric_limits<std::int32_t>::max());
    return number ? std::optional<std::int32_t>(static_cast<std::int32_t>(*number)) : std::nullopt;
}

void ReadKind(JsonObject& object, Expectation& expectation) {
    std::vector<std::string_view> kinds;
    for (const auto& [name, index] : KindTable<Expected>::Names()) {
        kinds.push_back(name);
    }
    const auto which = OneKeyOf(object, kinds, "expectation kind");
    if (!which) {
        return;
    }
    const JsonNode member = *object.Take(kinds[*which]);
    expectation.what = KindTable<Expected>::Make(*which);
    std::visit([&](auto& kind) { kind.Read(member, object); }, expectation.what);
}

Expectation One(const JsonNode& node) {
    JsonObject object(node);
    Expectation expectation;
    expectation.path = node.path();
    Optional(object, "name", expectation.name, [](const JsonNode& n) { return n.String(); });
    object.Take("note");
    ReadKind(object, expectation);
    object.RejectUnknown();
    return expectation;
}

}  // namespace

void CountOf(JsonObject& object, CountRange& count, std::int64_t minimum) {
    if (auto member = object.Take("count")) {
        if (member->value().isObject()) {
            JsonObject range(*member);
            count.min = 0;
            Optional(range, "min", count.min,
                     [&](const JsonNode& n) { return n.Integer(minimum, kCountMax); });
            Optional(range, "max", count.max,
                     [&](const JsonNode& n) { return n.Integer(minimum, kCountMax); });
            range.RejectUnknown();
            if (!range.Has("min") && !range.Has("max")) {
                member->Error("give \"min\", \"max\" or both");
            } else if (count.max && *count.max < count.min) {
                member->Error("\"max\" is below \"min\"");
            }
        } else if (auto exact = member->Integer(minimum, kCountMax)) {
            count.min = *exact;
            count.max = *exact;
        }
    }
    if (auto absent = object.Take("absent")) {
        if (absent->value() != Json::Value(true)) {
            absent->Expected("true");
        } else if (object.Has("count")) {
            absent->Error("\"absent\" and \"count\" exclude each other");
        }
        count.min = 0;
        count.max = 0;
    }
}

std::optional<StatusMatcher> Status(const JsonNode& node) {
    JsonObject object(node);
    StatusMatcher status;
    Optional(object, "state", status.state, [](const JsonNode& n) -> std::optional<std::uint32_t> {
        auto number = n.IntegerOrName(0, 0xFFFFFFFF, names::ServiceStates());
        return number ? std::optional<std::uint32_t>(static_cast<std::uint32_t>(*number))
                      : std::nullopt;
    });
    Optional(object, "serviceType", status.serviceType, Dword);
    Optional(object, "controlsAccepted", status.controlsAccepted, Dword);
    Optional(object, "win32ExitCode", status.win32ExitCode, Dword);
    Optional(object, "checkPoint", status.checkPoint, Dword);
    Optional(object, "waitHint", status.waitHint, Dword);
    object.RejectUnknown();
    return status;
}

void Exactly(JsonObject& object, bool& exactly) {
    Optional(object, "exactly", exactly, [](const JsonNode& n) { return n.Bool(); });
}

std::vector<Expectation> Group(const JsonNode& node) {
    return ListOf<Expectation>(
        node, [](const JsonNode& n) { return std::optional<Expectation>(One(n)); });
}

std::vector<Expectation> Expectations(const JsonNode& node) {
    std::vector<Expectation> expectations;
    if (auto elements = node.Array()) {
        for (const JsonNode& element : *elements) {
            expectations.push_back(One(element));
        }
    }
    return expectations;
}

LogMatcher Log(const JsonNode& node) {
    LogMatcher matcher;
    if (node.value().isString()) {
        matcher.text = *node.String();
        return matcher;
    }
    if (!node.value().isObject()) {
        node.Expected(
            "a log message (a string) or {\"message\": ..., \"match\": ..., \"level\": ...}");
        return matcher;
    }
    JsonObject object(node);
    std::optional<JsonNode> message = object.Require("message");
    if (message) {
        matcher.text = message->String().value_or("");
    }
    Optional(object, "match", matcher.match, [](const JsonNode& n) {
        return n.Enum<TextMatch>({{"exact", TextMatch::kExact},
                                  {"prefix", TextMatch::kPrefix},
                                  {"contains", TextMatch::kContains},
                                  {"regex", TextMatch::kRegex}});
    });
    Optional(object, "level", matcher.level, [](const JsonNode& n) {
        return n.Enum<LogLevel>({{"debug", LogLevel::kDebug},
                                 {"info", LogLevel::kInfo},
                                 {"warning", LogLevel::kWarning},
                                 {"error", LogLevel::kError}});
    });
    object.RejectUnknown();
    if (message && matcher.match == TextMatch::kRegex) {
        std::string problem;
        matcher.pattern = CompileLogPattern(matcher.text, problem);
        if (!matcher.pattern) {
            message->Error(problem);
        }
    }
    return matcher;
}

CallMatcher Call(const JsonNode& node) {
    CallMatcher matcher;
    if (node.value().isString()) {
        const std::string text = *node.String();
        const auto separator = text.rfind("::");
        if (separator == std::string::npos || separator == 0 || separator + 2 == text.size()) {
            node.Expected("\"Component::Operation\" or {\"component\": ..., \"operation\": ...}");
            return matcher;
        }
        matcher.component = text.substr(0, separator);
        matcher.operation = text.substr(separator + 2);
        return matcher;
    }
    JsonObject object(node);
    if (auto component = object.Require("component")) {
        matcher.component = component->NonEmptyString().value_or("");
    }
    Optional(object, "operation", matcher.operation,
             [](const JsonNode& n) { return n.NonEmptyString(); });
    if (auto args = object.Take("args")) {
        if (auto elements = args->Array()) {
            std::vector<std::optional<std::string>> list;
            for (const JsonNode& element : *elements) {
                if (element.value().isNull()) {
                    list.emplace_back();
                } else {
                    list.emplace_back(element.String().value_or(""));
                }
            }
            matcher.args = std::move(list);
        }
    }
    object.RejectUnknown();
    return matcher;
}

PublicationMatcher Publication(const JsonNode& node) {
    PublicationMatcher matcher;
    if (node.value().isArray()) {
        auto elements = node.Array();
        if (elements->size() != 2) {
            node.Expected("[topic, state] or {\"topic\": ..., \"state\": ...}");
            return matcher;
        }
        matcher.topic = Int32((*elements)[0]);
        matcher.state = Int32((*elements)[1]);
        return matcher;
    }
    JsonObject object(node);
    Optional(object, "topic", matcher.topic, Int32);
    Optional(object, "state", matcher.state, Int32);
    Optional(object, "payload", matcher.payload, [](const JsonNode& n) { return n.String(); });
    Optional(object, "accepted", matcher.accepted, [](const JsonNode& n) { return n.Bool(); });
    object.RejectUnknown();
    return matcher;
}

std::optional<Condition> ConditionOf(JsonObject& object, bool newByDefault) {
    Condition condition;
    condition.onlyNew = newByDefault;
    const auto which = OneKeyOf(object, {"log", "call", "publication"}, "evidence to wait for");
    if (which == 0) {
        condition.log = Log(*object.Take("log"));
    } else if (which == 1) {
        condition.call = Call(*object.Take("call"));
    } else if (which == 2) {
        condition.publication = Publication(*object.Take("publication"));
    }
    Optional(object, "count", condition.count,
             [](const JsonNode& n) { return n.Integer(1, kCountMax); });
    Optional(object, "new", condition.onlyNew, [](const JsonNode& n) { return n.Bool(); });
    if (!which) {
        return std::nullopt;
    }
    return condition;
}

}  // namespace orvhost::parse
