#pragma once
// Run the sub-steps at the same time; the waits go with the steps inside.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host/scenario/scenario_model.h"

namespace orvhost {

class Diagnostics;
class JsonObject;
class StepContext;
struct Step;

struct TogetherStep {
    static constexpr std::string_view kName = "together";
    static constexpr bool kTakesAfter = false;
    static constexpr bool kTakesUntil = false;
    std::vector<Step> steps;

    void Read(JsonObject& object);
    std::string Name() const;
    bool Act(StepContext& context) const;
    // How far it moves the machine's wall clock forward and back.
    void MoveWall(std::int64_t& forward, std::int64_t& back) const;
    // Cross-checks that reading one object cannot make.
    void Validate(const Step& step, bool inGroup, Diagnostics& diagnostics) const;
};

}  // namespace orvhost
