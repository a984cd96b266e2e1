#pragma once
// Run the sub-steps at the same time; the waits go with the steps inside.

#include "host/steps/step_kind.h"

namespace orvhost {

struct TogetherStep {
    static constexpr std::string_view kName = "together";
    static constexpr bool kTakesAfter = false;
    static constexpr bool kTakesUntil = false;
    std::vector<Step> steps;

    void Read(JsonObject& object);
    std::string Name() const;
    bool Act(StepContext& context) const;
    void MoveWall(std::int64_t& forward, std::int64_t& back) const;
    void Validate(const Step& step, bool inGroup, Diagnostics& diagnostics) const;
};

}  // namespace orvhost
