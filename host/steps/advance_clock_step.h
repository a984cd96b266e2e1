#pragma once
// Time passes at once on both clocks.

#include "host/steps/step_kind.h"

namespace orvhost {

struct AdvanceClockStep {
    static constexpr std::string_view kName = "advanceClock";
    std::int64_t durationMs = 0;

    void Read(JsonObject& object);
    std::string Name() const;
    bool Act(StepContext& context) const;
    std::int64_t MachineTimeMs() const { return durationMs; }
    void MoveWall(std::int64_t& forward, std::int64_t& back) const;
};

}  // namespace orvhost
