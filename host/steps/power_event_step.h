#pragma once
// Control 13, with a power setting for 0x8013.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/scenario/scenario_model.h"

namespace orvhost {

class JsonObject;
class StepContext;

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
