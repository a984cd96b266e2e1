#pragma once
// The wall clock moves; event log and control as Windows does.

#include "host/steps/step_kind.h"

namespace orvhost {

struct ClockChangeStep {
    static constexpr std::string_view kName = "clockChange";
    std::int64_t deltaMs = 0;
    bool viaEventLog = true;
    bool viaControl = true;

    void Read(JsonObject& object);
    std::string Name() const;
    bool Act(StepContext& context) const;
    void MoveWall(std::int64_t& forward, std::int64_t& back) const;
};

}  // namespace orvhost
