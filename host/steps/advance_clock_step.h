#pragma once
// Time passes at once on both clocks.

#include <cstdint>
#include <string>
#include <string_view>

#include "host/scenario/scenario_model.h"

namespace orvhost {

class JsonObject;
class StepContext;

struct AdvanceClockStep {
    static constexpr std::string_view kName = "advanceClock";
    std::int64_t durationMs = 0;

    void Read(JsonObject& object);
    std::string Name() const;
    bool Act(StepContext& context) const;
    std::int64_t MachineTimeMs() const { return durationMs; }
    // How far it moves the machine's wall clock forward and back.
    void MoveWall(std::int64_t& forward, std::int64_t& back) const;
};

}  // namespace orvhost
