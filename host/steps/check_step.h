#pragma once
// Evaluate expectations now.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host/expectations/expectation.h"
#include "host/scenario/scenario_model.h"

namespace orvhost {

class Diagnostics;
class JsonObject;
class StepContext;
struct Step;

struct CheckStep {
    static constexpr std::string_view kName = "check";
    static constexpr bool kTakesUntil = false;
    std::vector<Expectation> expectations;

    void Read(JsonObject& object);
    std::string Name() const;
    bool Act(StepContext& context) const;
    // Cross-checks that reading one object cannot make.
    void Validate(const Step& step, bool inGroup, Diagnostics& diagnostics) const;
};

}  // namespace orvhost
