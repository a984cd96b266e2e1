#include "host/steps/publish_step.h"

#include <json/writer.h>

#include <fmt/format.h>

#include <limits>

#include "base/unicode.h"
#include "host/scenario/parser_parts.h"
#include "sim/client/client_control.h"

namespace orvhost {

namespace {

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
    parse::Optional(object, "kind", read.kind, [](const JsonNode& n) {
        return n.Enum<std::string>(
            {{"client", "client"}, {"extension", "extension"}, {"zarn", "zarn"}});
    });
    parse::Optional(object, "messageType", read.messageType,
                    [](const JsonNode& n) { return n.NonEmptyString(); });
    parse::Optional(object, "actionType", read.actionType,
                    [](const JsonNode& n) { return n.String(); });
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
std::string Payload(JsonObject& object) {
    std::string text;
    Json::Value payload(Json::objectValue);
    bool isObject = false;
    if (auto member = object.Take("payload")) {
        if (member->value().isString()) {
            text = member->value().asString();
        } else if (member->value().isObject()) {
            payload = member->value();
            isObject = true;
        } else {
            member->Expected("a string or an object");
        }
    }
    const PayloadKind read = ReadPayloadKind(object);
    if (!read.given) {
        return isObject ? Json::writeString(Json::StreamWriterBuilder(), payload) : text;
    }
    if (!text.empty()) {
        object.node().Error(
            "\"kind\", \"messageType\" and \"actionType\" need an object payload (or none)");
        return text;
    }
    AddKind(read, payload);
    Json::StreamWriterBuilder writer;
    writer["indentation"] = "";
    return Json::writeString(writer, payload);
}

}  // namespace

void PublishStep::Read(JsonObject& object) {
    if (auto member = object.Require("topic")) {
        topic = Int(*member);
    }
    if (auto member = object.Require("state")) {
        state = Int(*member);
    }
    payload = Payload(object);
}

std::string PublishStep::Name() const {
    return fmt::format("publish ({}, {})", topic, state);
}

bool PublishStep::Act(StepContext&) const {
    orvsim::Publish(topic, state, orvbase::Utf8ToWide(payload));
    return true;
}

}  // namespace orvhost
