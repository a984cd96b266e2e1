#pragma once
// The service's stop: OnStop, judged like a start's escape; inside a group it first waits
// for the group's start.

#include "host/steps/step_kind.h"

namespace orvhost {

struct StopStep {
    static constexpr std::string_view kName = "stop";
    std::optional<ThrownException> escapes;

    void Read(JsonObject& object);
    std::string Name() const;
    bool Act(StepContext& context) const;
};

}  // namespace orvhost
