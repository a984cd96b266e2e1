#pragma once
// Failure injection from now on.

#include <string>
#include <string_view>

#include "host/scenario/scenario_model.h"

namespace orvhost {

class JsonObject;
class StepContext;

struct FailStep {
    static constexpr std::string_view kName = "fail";
    FailureArrangement failure;

    void Read(JsonObject& object);
    std::string Name() const;
    bool Act(StepContext& context) const;
};

}  // namespace orvhost
