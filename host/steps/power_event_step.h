#pragma once
// Control 13, with a power setting for 0x8013.

#include "host/steps/step_kind.h"

namespace orvhost {

struct PowerEventStep {
    static constexpr std::string_view kName = "powerEvent";
    std::uint32_t eventType = 0;
    std::optional<std::string> settingGuid;
    std::vector<std::uint8_t> settingData;

    void Read(JsonObject& object);
    std::string Name() const;
    bool Act(StepContext& context) const;
};

}  // namespace orvhost
