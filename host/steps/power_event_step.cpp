#include "host/steps/power_event_step.h"

#include <fmt/format.h>

#include <cctype>

#include "host/machine/service_host.h"
#include "host/scenario/parser_parts.h"
#include "host/scenario/scenario_names.h"
#include "host/steps/step_context.h"

namespace orvhost {

namespace {

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

void ReadSetting(const JsonNode& node, PowerEventStep& step) {
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

// "245d8541-3943-4422-b025-13a784f679b7" (reading checked the shape).
GUID ParseGuid(const std::string& text) {
    const auto hex = [&](std::size_t from, std::size_t length) {
        return std::stoull(text.substr(from, length), nullptr, 16);
    };
    GUID guid{};
    guid.Data1 = static_cast<std::uint32_t>(hex(0, 8));
    guid.Data2 = static_cast<std::uint16_t>(hex(9, 4));
    guid.Data3 = static_cast<std::uint16_t>(hex(14, 4));
    guid.Data4[0] = static_cast<std::uint8_t>(hex(19, 2));
    guid.Data4[1] = static_cast<std::uint8_t>(hex(21, 2));
    for (std::size_t i = 0; i < 6; ++i) {
        guid.Data4[2 + i] = static_cast<std::uint8_t>(hex(24 + 2 * i, 2));
    }
    return guid;
}

}  // namespace

void PowerEventStep::Read(JsonObject& object) {
    if (auto type = object.Require("eventType")) {
        eventType = parse::CodeOrName(*type, names::PowerEvents()).value_or(0);
    }
    if (auto setting = object.Take("setting")) {
        ReadSetting(*setting, *this);
        if (eventType != 0x8013) {
            setting->Error("a power setting goes only with \"powerSettingChange\" (0x8013)");
        }
    } else if (eventType == 0x8013) {
        object.Require("setting");
    }
}

std::string PowerEventStep::Name() const {
    const auto name = names::NameOf(names::PowerEvents(), eventType);
    return fmt::format("power event {}",
                       name.empty() ? std::to_string(eventType) : std::string(name));
}

bool PowerEventStep::Act(StepContext& context) const {
    if (settingGuid) {
        context.Host().SendPowerSetting(ParseGuid(*settingGuid), settingData);
    } else {
        context.Host().SendPowerEvent(eventType);
    }
    return true;
}

}  // namespace orvhost
