// Reading the timeline: one object per step, its kind in "do".

#include <json/writer.h>

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <limits>

#include "host/scenario/parser_parts.h"
#include "host/scenario/scenario_names.h"
#include "sim/common_base/unicode.h"
#include "winapi/sim/eventlog.h"

namespace orvhost::parse {

namespace {

constexpr std::int64_t kDwordMax = std::numeric_limits<std::uint32_t>::max();
// Clock moves of up to ten years either way.
constexpr std::int64_t kMaxClockMoveMs = 10LL * 366 * 24 * 3600 * 1000;

const std::vector<std::pair<std::string_view, StepKind>> kKinds = {
    {"start", StepKind::kStart},
    {"stop", StepKind::kStop},
    {"control", StepKind::kControl},
    {"sessionChange", StepKind::kSessionChange},
    {"powerEvent", StepKind::kPowerEvent},
    {"timeChange", StepKind::kTimeChange},
    {"clockChange", StepKind::kClockChange},
    {"advanceClock", StepKind::kAdvanceClock},
    {"publish", StepKind::kPublish},
    {"eventLog", StepKind::kEventLog},
    {"registry", StepKind::kRegistry},
    {"fail", StepKind::kFail},
    {"arrange", StepKind::kArrange},
    {"pause", StepKind::kPause},
    {"waitFor", StepKind::kWaitFor},
    {"check", StepKind::kCheck},
    {"together", StepKind::kTogether},
};

std::optional<std::int64_t> SignedMs(const JsonNode& node) {
    return node.Integer(-kMaxClockMoveMs, kMaxClockMoveMs);
}

std::optional<std::uint32_t> CodeOrName(const JsonNode& node, const names::NumberNames& table) {
    if (node.value().isString() &&
        (node.value().asString().starts_with("0x") || node.value().asString().starts_with("0X"))) {
        return Dword(node);
    }
    auto number = node.IntegerOrName(0, kDwordMax, table);
    return number ? std::optional<std::uint32_t>(static_cast<std::uint32_t>(*number))
                  : std::nullopt;
}

bool IsGuid(const std::string& text) {
    if (text.size() != 36) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash ? text[i] != '-' : std::isxdigit(static_cast<unsigned char>(text[i])) == 0) {
            return false;
        }
    }
    return true;
}

void PowerSetting(const JsonNode& node, Step& step) {
    JsonObject object(node);
    if (auto guid = object.Require("guid")) {
        auto text = guid->String();
        if (text && IsGuid(*text)) {
            step.powerSettingGuid = *text;
        } else if (text) {
            guid->Expected("a GUID like \"245d8541-3943-4422-b025-13a784f679b7\"");
        }
    }
    if (auto data = object.Take("data")) {
        if (auto bytes = data->Array()) {
            for (const JsonNode& byte : *bytes) {
                step.powerSettingData.push_back(
                    static_cast<std::uint8_t>(byte.Integer(0, 255).value_or(0)));
            }
        }
    }
    object.RejectUnknown();
}

// The payload as the bus carries it: a string as it stands, an object as compact JSON, with
// the provider, message type and action type of "kind" merged in.
void Payload(JsonObject& object, Step& step) {
    Json::Value payload(Json::objectValue);
    bool isObject = false;
    if (auto member = object.Take("payload")) {
        if (member->value().isString()) {
            step.payload = member->value().asString();
        } else if (member->value().isObject()) {
            payload = member->value();
            isObject = true;
        } else {
            member->Expected("a string or an object");
        }
    }
    std::string kind = "client";
    Optional(object, "kind", kind, [](const JsonNode& n) {
        return n.Enum<std::string>(
            {{"client", "client"}, {"extension", "extension"}, {"zarn", "zarn"}});
    });
    std::optional<std::string> messageType;
    std::optional<std::string> actionType;
    Optional(object, "messageType", messageType,
             [](const JsonNode& n) { return n.NonEmptyString(); });
    Optional(object, "actionType", actionType, [](const JsonNode& n) { return n.String(); });
    const bool adds = object.Has("kind") || messageType || actionType;
    if (!adds) {
        if (isObject) {
            step.payload = Json::writeString(Json::StreamWriterBuilder(), payload);
        }
        return;
    }
    if (!step.payload.empty()) {
        object.node().Error(
            "\"kind\", \"messageType\" and \"actionType\" need an object payload (or none)");
        return;
    }
    if (kind != "client") {
        payload["provider"] = kind;
    }
    if (kind == "zarn" || messageType) {
        payload["messageType"] = messageType.value_or("zarnMessage");
        payload["actionType"] = actionType.value_or("none");
    } else if (actionType) {
        payload["actionType"] = *actionType;
    }
    Json::StreamWriterBuilder writer;
    writer["indentation"] = "";
    step.payload = Json::writeString(writer, payload);
}

void EventLog(JsonObject& object, Step& step) {
    const auto which = OneKeyOf(object, {"xml", "timeDeltaMs", "error"}, "event");
    if (which == 0) {
        Optional(object, "xml", step.xml, [](const JsonNode& n) -> std::optional<std::string> {
            auto text = n.NonEmptyString();
            // The event log's own reading, so that what passes here is what it takes.
            if (text && !winsim::eventlog::EventIdOf(orvsim::Utf8ToWide(*text))) {
                n.Error(
                    "the event XML needs an <EventID> element with a number from 0 to "
                    "4294967295");
            }
            return text;
        });
    } else if (which == 1) {
        Optional(object, "timeDeltaMs", step.timeDeltaMs, SignedMs);
    } else if (which == 2) {
        Optional(object, "error", step.errorCode, Dword);
    }
}

void TimeChange(JsonObject& object, Step& step) {
    const bool noData = object.Has("noData");
    Optional(object, "noData", step.noData, [](const JsonNode& n) { return n.Bool(); });
    const bool relative = object.Has("deltaMs");
    const bool absolute = object.Has("oldTimeMs") || object.Has("newTimeMs");
    Optional(object, "deltaMs", step.deltaMs, SignedMs);
    // As far as the machine's clock reaches: 2262-01-01.
    constexpr std::int64_t kMaxEpochMs = 9214646400000;
    const auto epochMs = [](const JsonNode& n) { return n.Integer(0, kMaxEpochMs); };
    Optional(object, "oldTimeMs", step.oldTimeMs, epochMs);
    Optional(object, "newTimeMs", step.newTimeMs, epochMs);
    const int forms = (relative ? 1 : 0) + (absolute ? 1 : 0) + (noData && step.noData ? 1 : 0);
    if (forms != 1) {
        object.node().Error(
            "give exactly one of \"deltaMs\", \"oldTimeMs\" with \"newTimeMs\", or \"noData\": "
            "true");
    } else if (absolute && !(object.Has("oldTimeMs") && object.Has("newTimeMs"))) {
        object.node().Error("\"oldTimeMs\" and \"newTimeMs\" go together");
    }
}

void SessionChange(JsonObject& object, Step& step) {
    step.control = 14;
    if (auto reason = object.Require("reason")) {
        step.eventType = CodeOrName(*reason, names::SessionReasons()).value_or(0);
    }
    Optional(object, "noData", step.noData, [](const JsonNode& n) { return n.Bool(); });
    if (auto session = object.Take("sessionId")) {
        step.sessionId = Dword(*session).value_or(0);
        if (step.noData) {
            session->Error("\"sessionId\" and \"noData\" exclude each other");
        }
    } else if (!step.noData) {
        object.Require("sessionId");
    }
}

void PowerEvent(JsonObject& object, Step& step) {
    step.control = 13;
    if (auto type = object.Require("eventType")) {
        step.eventType = CodeOrName(*type, names::PowerEvents()).value_or(0);
    }
    if (auto setting = object.Take("setting")) {
        PowerSetting(*setting, step);
        if (step.eventType != 0x8013) {
            setting->Error("a power setting goes only with \"powerSettingChange\" (0x8013)");
        }
    } else if (step.eventType == 0x8013) {
        object.Require("setting");
    }
}

std::string GeneratedName(const Step& step) {
    switch (step.kind) {
        case StepKind::kStart:
            return "start the service";
        case StepKind::kStop:
            return "stop the service";
        case StepKind::kControl: {
            const auto name = names::NameOf(names::ControlCodes(), step.control);
            return fmt::format(
                "control {}{}{}", step.control, name.empty() ? "" : fmt::format(" ({})", name),
                step.eventType == 0 ? "" : fmt::format(", event type {}", step.eventType));
        }
        case StepKind::kSessionChange:
            return fmt::format(
                "session change: {} {}", names::NameOf(names::SessionReasons(), step.eventType),
                step.noData ? "without data" : fmt::format("(session {})", step.sessionId));
        case StepKind::kPowerEvent:
            return fmt::format(
                "power event {}",
                names::NameOf(names::PowerEvents(), step.eventType).empty()
                    ? std::to_string(step.eventType)
                    : std::string(names::NameOf(names::PowerEvents(), step.eventType)));
        case StepKind::kTimeChange:
            return step.noData ? "time-change control without data"
                               : fmt::format("time-change control ({:+} ms)",
                                             step.newTimeMs && step.oldTimeMs
                                                 ? *step.newTimeMs - *step.oldTimeMs
                                                 : step.deltaMs);
        case StepKind::kClockChange:
            return fmt::format("clock change of {:+} s",
                               static_cast<double>(step.deltaMs) / 1000.0);
        case StepKind::kAdvanceClock:
            return fmt::format("let {} ms pass at once", step.durationMs);
        case StepKind::kPublish:
            return fmt::format("publish ({}, {})", step.topic, step.state);
        case StepKind::kEventLog:
            return step.errorCode ? "event-log error notification"
                   : step.timeDeltaMs
                       ? fmt::format("event-log time change of {} ms", *step.timeDeltaMs)
                       : "event-log event";
        case StepKind::kRegistry:
            return fmt::format("registry {}\\{}", step.registry ? step.registry->key : "",
                               step.registry ? step.registry->name : "");
        case StepKind::kFail:
            return fmt::format("{} {}",
                               step.failure && step.failure->clear ? "stop failing" : "fail",
                               step.failure ? step.failure->call : "");
        case StepKind::kArrange:
            return "change arrangements";
        case StepKind::kPause:
            return fmt::format("pause {} ms", step.durationMs);
        case StepKind::kWaitFor:
            return "wait";
        case StepKind::kCheck:
            return "check expectations";
        case StepKind::kTogether:
            return fmt::format("{} steps together", step.steps.size());
    }
    return "step";
}

void ReadKindFields(JsonObject& object, Step& step) {
    switch (step.kind) {
        case StepKind::kStart:
        case StepKind::kStop:
            Optional(object, "escapes", step.escapes, [](const JsonNode& n) {
                return n.Enum<ThrownException>(
                    {{"runtime_error", ThrownException::kRuntimeError},
                     {"bad_array_new_length", ThrownException::kBadArrayNewLength}});
            });
            break;
        case StepKind::kControl:
            if (auto code = object.Require("code")) {
                step.control = CodeOrName(*code, names::ControlCodes()).value_or(0);
            }
            Optional(object, "eventType", step.eventType, Dword);
            break;
        case StepKind::kSessionChange:
            SessionChange(object, step);
            break;
        case StepKind::kPowerEvent:
            PowerEvent(object, step);
            break;
        case StepKind::kTimeChange:
            step.control = 16;
            TimeChange(object, step);
            break;
        case StepKind::kClockChange:
            if (auto delta = object.Require("deltaMs")) {
                step.deltaMs = SignedMs(*delta).value_or(0);
            }
            Optional(object, "eventLog", step.viaEventLog,
                     [](const JsonNode& n) { return n.Bool(); });
            Optional(object, "control", step.viaControl,
                     [](const JsonNode& n) { return n.Bool(); });
            break;
        case StepKind::kAdvanceClock:
        case StepKind::kPause:
            if (auto ms = object.Require("ms")) {
                step.durationMs = Milliseconds(*ms).value_or(0);
            }
            break;
        case StepKind::kPublish:
            if (auto topic = object.Require("topic")) {
                step.topic = static_cast<int>(
                    topic->Integer(std::numeric_limits<int>::min(), std::numeric_limits<int>::max())
                        .value_or(0));
            }
            if (auto state = object.Require("state")) {
                step.state = static_cast<int>(
                    state->Integer(std::numeric_limits<int>::min(), std::numeric_limits<int>::max())
                        .value_or(0));
            }
            Payload(object, step);
            break;
        case StepKind::kEventLog:
            EventLog(object, step);
            break;
        case StepKind::kRegistry:
            step.registry = Registry(object, false);
            break;
        case StepKind::kFail:
            step.failure = Failure(object);
            break;
        case StepKind::kArrange:
            if (auto machine = object.Take("machine")) {
                step.machine = Machine(*machine, true);
            }
            if (auto client = object.Take("client")) {
                step.client = Client(*client);
            }
            if (!step.machine && !step.client) {
                object.node().Error("give \"machine\", \"client\" or both");
            }
            break;
        case StepKind::kWaitFor:
            step.condition = ConditionOf(object, false);
            break;
        case StepKind::kCheck:
            if (auto expect = object.Require("expect")) {
                step.expectations = Expectations(*expect);
            }
            break;
        case StepKind::kTogether:
            if (auto steps = object.Require("steps")) {
                step.steps = Steps(*steps);
                if (step.steps.size() < 2 && steps->value().isArray()) {
                    steps->Error("\"together\" needs at least two steps");
                }
            }
            break;
    }
}

Step One(const JsonNode& node) {
    JsonObject object(node);
    Step step;
    step.path = node.path();
    std::optional<StepKind> kind;
    if (auto member = object.Require("do")) {
        kind = member->Enum(kKinds);
    }
    if (!kind) {
        return step;  // without its kind, the other keys cannot be judged
    }
    step.kind = *kind;
    Optional(object, "name", step.name, [](const JsonNode& n) { return n.NonEmptyString(); });
    object.Take("note");
    Optional(object, "delayMs", step.delayMs, Milliseconds);
    Optional(object, "timeoutMs", step.timeoutMs,
             [](const JsonNode& n) { return n.Integer(1, 3600000); });
    if (auto after = object.Take("after")) {
        JsonObject condition(*after);
        step.after = ConditionOf(condition, false);
        condition.RejectUnknown();
        if (step.kind == StepKind::kTogether) {
            after->Error("\"after\" does not go with \"together\"; give it to the steps inside");
        }
    }
    if (auto until = object.Take("until")) {
        JsonObject condition(*until);
        step.until = ConditionOf(condition, true);
        condition.RejectUnknown();
        if (step.kind == StepKind::kWaitFor || step.kind == StepKind::kCheck ||
            step.kind == StepKind::kTogether) {
            until->Error("\"until\" does not go with this kind of step");
        }
    }
    ReadKindFields(object, step);
    object.RejectUnknown();
    if (step.name.empty()) {
        step.name = GeneratedName(step);
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
