#pragma once
// Failure injection from now on.

#include "host/steps/step_kind.h"

namespace orvhost {

struct FailStep {
    static constexpr std::string_view kName = "fail";
    FailureArrangement failure;

    void Read(JsonObject& object);
    std::string Name() const;
    bool Act(StepContext& context) const;
};

}  // namespace orvhost
