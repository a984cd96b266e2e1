// The steps that call the service: its entry points and the controls the service host sends.

#include <fmt/format.h>

#include <cctype>
#include <limits>

#include "host/scenario/scenario_names.h"
#include "host/scenario/step_kinds.h"

namespace orvhost::parse {

namespace {

constexpr std::int64_t kDwordMax = std::numeric_limits<std::uint32_t>::max();

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

void PowerSetting(const JsonNode& node, PowerEventStep& step) {
    JsonObject object(node);
    if (auto guid = object.Require("guid")) {
        auto text = guid->String();
        if (text && IsGuid(*text)) {
            step.settingGuid = *text;
        } else if (text) {
            guid->Expected("a GUID like \"245d8541-3943-4422-b025-13a784f679b7\"");
        }
    }
    if (auto data = object.Take("data")) {
        if (auto bytes = data->Array()) {
            for (const JsonNode& byte : *bytes) {
                step.settingData.push_back(
                    static_cast<std::uint8_t>(byte.Integer(0, 255).value_or(0)));
            }
        }
    }
    object.RejectUnknown();
}

void Escapes(JsonObject& object, std::optional<ThrownException>& escapes) {
    Optional(object, "escapes", escapes, [](const JsonNode& n) {
        return n.Enum<ThrownException>(
            {{"runtime_error", ThrownException::kRuntimeError},
             {"bad_array_new_length", ThrownException::kBadArrayNewLength}});
    });
}

}  // namespace

// ---- start, stop --------------------------------------------------------------------------

void Read(JsonObject& object, StartStep& step) {
    Escapes(object, step.escapes);
}

std::string NameOf(const StartStep&) {
    return "start the service";
}

void Read(JsonObject& object, StopStep& step) {
    Escapes(object, step.escapes);
}

std::string NameOf(const StopStep&) {
    return "stop the service";
}

// ---- control ------------------------------------------------------------------------------

void Read(JsonObject& object, ControlStep& step) {
    if (auto code = object.Require("code")) {
        step.code = CodeOrName(*code, names::ControlCodes()).value_or(0);
    }
    Optional(object, "eventType", step.eventType, Dword);
}

std::string NameOf(const ControlStep& step) {
    const auto name = names::NameOf(names::ControlCodes(), step.code);
    return fmt::format("control {}{}{}", step.code, name.empty() ? "" : fmt::format(" ({})", name),
                       step.eventType == 0 ? "" : fmt::format(", event type {}", step.eventType));
}

// ---- sessionChange ------------------------------------------------------------------------

void Read(JsonObject& object, SessionChangeStep& step) {
    if (auto reason = object.Require("reason")) {
        step.reason = CodeOrName(*reason, names::SessionReasons()).value_or(0);
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

std::string NameOf(const SessionChangeStep& step) {
    return fmt::format("session change: {} {}", names::NameOf(names::SessionReasons(), step.reason),
                       step.noData ? "without data" : fmt::format("(session {})", step.sessionId));
}

// ---- powerEvent ---------------------------------------------------------------------------

void Read(JsonObject& object, PowerEventStep& step) {
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

std::string NameOf(const PowerEventStep& step) {
    const auto name = names::NameOf(names::PowerEvents(), step.eventType);
    return fmt::format("power event {}",
                       name.empty() ? std::to_string(step.eventType) : std::string(name));
}

// ---- timeChange ---------------------------------------------------------------------------

void Read(JsonObject& object, TimeChangeStep& step) {
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

std::string NameOf(const TimeChangeStep& step) {
    return step.noData
               ? "time-change control without data"
               : fmt::format("time-change control ({:+} ms)",
                             step.newTimeMs && step.oldTimeMs ? *step.newTimeMs - *step.oldTimeMs
                                                              : step.deltaMs);
}

}  // namespace orvhost::parse
