#pragma once
// The wall clock moves; event log and control as Windows does.

#include <cstdint>
#include <string>
#include <string_view>

#include "host/scenario/scenario_model.h"

namespace orvhost {

class JsonObject;
class StepContext;

struct ClockChangeStep {
    static constexpr std::string_view kName = "clockChange";
    std::int64_t deltaMs = 0;
    bool viaEventLog = true;
    bool viaControl = true;

    void Read(JsonObject& object);
    std::string Name() const;
    bool Act(StepContext& context) const;
    // How far it moves the machine's wall clock forward and back.
    void MoveWall(std::int64_t& forward, std::int64_t& back) const;
};

}  // namespace orvhost
