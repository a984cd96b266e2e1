// The steps that change the machine around the service: its clocks, the bus, the event log,
// the registry, failures and arrangements.

#include <json/writer.h>

#include <fmt/format.h>

#include <limits>

#include "base/unicode.h"
#include "host/scenario/step_kinds.h"
#include "winapi/control/eventlog.h"

namespace orvhost::parse {

namespace {

// Clock moves of up to ten years either way.
constexpr std::int64_t kMaxClockMoveMs = 10LL * 366 * 24 * 3600 * 1000;

int Int(const JsonNode& node) {
    return static_cast<int>(
        node.Integer(std::numeric_limits<int>::min(), std::numeric_limits<int>::max()).value_or(0));
}

// "kind", "messageType" and "actionType": what a publication adds to an object payload.
struct PayloadKind {
    std::string kind = "client";
    std::optional<std::string> messageType;
    std::optional<std::string> actionType;
    bool given = false;
};

PayloadKind ReadPayloadKind(JsonObject& object) {
    PayloadKind read;
    Optional(object, "kind", read.kind, [](const JsonNode& n) {
        return n.Enum<std::string>(
            {{"client", "client"}, {"extension", "extension"}, {"zarn", "zarn"}});
    });
    Optional(object, "messageType", read.messageType,
             [](const JsonNode& n) { return n.NonEmptyString(); });
    Optional(object, "actionType", read.actionType, [](const JsonNode& n) { return n.String(); });
    read.given = object.Has("kind") || read.messageType || read.actionType;
    return read;
}

void AddKind(const PayloadKind& read, Json::Value& payload) {
    if (read.kind != "client") {
        payload["provider"] = read.kind;
    }
    if (read.kind == "zarn" || read.messageType) {
        payload["messageType"] = read.messageType.value_or("zarnMessage");
        payload["actionType"] = read.actionType.value_or("none");
    } else if (read.actionType) {
        payload["actionType"] = *read.actionType;
    }
}

// The payload as the bus carries it: a string as it stands, an object as compact JSON, with
// the provider, message type and action type of "kind" merged in.
void Payload(JsonObject& object, PublishStep& step) {
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
    const PayloadKind read = ReadPayloadKind(object);
    if (!read.given) {
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
    AddKind(read, payload);
    Json::StreamWriterBuilder writer;
    writer["indentation"] = "";
    step.payload = Json::writeString(writer, payload);
}

}  // namespace

std::optional<std::int64_t> SignedMs(const JsonNode& node) {
    return node.Integer(-kMaxClockMoveMs, kMaxClockMoveMs);
}

// ---- clockChange --------------------------------------------------------------------------

void Read(JsonObject& object, ClockChangeStep& step) {
    if (auto delta = object.Require("deltaMs")) {
        step.deltaMs = SignedMs(*delta).value_or(0);
    }
    Optional(object, "eventLog", step.viaEventLog, [](const JsonNode& n) { return n.Bool(); });
    Optional(object, "control", step.viaControl, [](const JsonNode& n) { return n.Bool(); });
}

std::string NameOf(const ClockChangeStep& step) {
    return fmt::format("clock change of {:+} s", static_cast<double>(step.deltaMs) / 1000.0);
}

// ---- advanceClock, pause ------------------------------------------------------------------

void Read(JsonObject& object, AdvanceClockStep& step) {
    if (auto ms = object.Require("ms")) {
        step.durationMs = Milliseconds(*ms).value_or(0);
    }
}

std::string NameOf(const AdvanceClockStep& step) {
    return fmt::format("let {} ms pass at once", step.durationMs);
}

void Read(JsonObject& object, PauseStep& step) {
    if (auto ms = object.Require("ms")) {
        step.durationMs = Milliseconds(*ms).value_or(0);
    }
}

std::string NameOf(const PauseStep& step) {
    return fmt::format("pause {} ms", step.durationMs);
}

// ---- publish ------------------------------------------------------------------------------

void Read(JsonObject& object, PublishStep& step) {
    if (auto topic = object.Require("topic")) {
        step.topic = Int(*topic);
    }
    if (auto state = object.Require("state")) {
        step.state = Int(*state);
    }
    Payload(object, step);
}

std::string NameOf(const PublishStep& step) {
    return fmt::format("publish ({}, {})", step.topic, step.state);
}

// ---- eventLog -----------------------------------------------------------------------------

void Read(JsonObject& object, EventLogStep& step) {
    const auto which = OneKeyOf(object, {"xml", "timeDeltaMs", "error"}, "event");
    if (which == 0) {
        Optional(object, "xml", step.xml, [](const JsonNode& n) -> std::optional<std::string> {
            auto text = n.NonEmptyString();
            // The event log's own reading, so that what passes here is what it takes.
            if (text && !winsim::eventlog::EventIdOf(orvbase::Utf8ToWide(*text))) {
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

std::string NameOf(const EventLogStep& step) {
    return step.errorCode     ? "event-log error notification"
           : step.timeDeltaMs ? fmt::format("event-log time change of {} ms", *step.timeDeltaMs)
                              : "event-log event";
}

// ---- registry, fail -----------------------------------------------------------------------

void Read(JsonObject& object, RegistryStep& step) {
    step.edit = Registry(object, false);
}

std::string NameOf(const RegistryStep& step) {
    return fmt::format("registry {}\\{}", step.edit.key, step.edit.name);
}

void Read(JsonObject& object, FailStep& step) {
    step.failure = Failure(object);
}

std::string NameOf(const FailStep& step) {
    return fmt::format("{} {}", step.failure.clear ? "stop failing" : "fail", step.failure.call);
}

// ---- arrange ------------------------------------------------------------------------------

void Read(JsonObject& object, ArrangeStep& step) {
    if (auto machine = object.Take("machine")) {
        step.machine = Machine(*machine, true);
    }
    if (auto client = object.Take("client")) {
        step.client = Client(*client);
    }
    if (!step.machine && !step.client) {
        object.node().Error("give \"machine\", \"client\" or both");
    }
}

std::string NameOf(const ArrangeStep&) {
    return "change arrangements";
}

}  // namespace orvhost::parse
