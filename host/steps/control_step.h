#pragma once
// Any control code, event data null.

#include "host/steps/step_kind.h"

namespace orvhost {

struct ControlStep {
    static constexpr std::string_view kName = "control";
    std::uint32_t code = 0;
    std::uint32_t eventType = 0;

    void Read(JsonObject& object);
    std::string Name() const;
    bool Act(StepContext& context) const;
};

}  // namespace orvhost
