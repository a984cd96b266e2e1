#pragma once
// Evaluate expectations now.

#include "host/expectations/expectation.h"
#include "host/steps/step_kind.h"

namespace orvhost {

struct CheckStep {
    static constexpr std::string_view kName = "check";
    static constexpr bool kTakesUntil = false;
    std::vector<Expectation> expectations;

    void Read(JsonObject& object);
    std::string Name() const;
    bool Act(StepContext& context) const;
    void Validate(const Step& step, bool inGroup, Diagnostics& diagnostics) const;
};

}  // namespace orvhost
