#pragma once
// Control 14 with a session notification (or without data).

#include "host/steps/step_kind.h"

namespace orvhost {

struct SessionChangeStep {
    static constexpr std::string_view kName = "sessionChange";
    std::uint32_t reason = 0;
    bool noData = false;
    std::uint32_t sessionId = 0;

    void Read(JsonObject& object);
    std::string Name() const;
    bool Act(StepContext& context) const;
};

}  // namespace orvhost
