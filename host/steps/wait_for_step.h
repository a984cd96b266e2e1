#pragma once
// Wait for evidence: a log line, a traced call or a publication.

#include "host/steps/step_kind.h"

namespace orvhost {

struct WaitForStep {
    static constexpr std::string_view kName = "waitFor";
    static constexpr bool kTakesUntil = false;  // it is a wait itself
    Condition condition;

    void Read(JsonObject& object);
    std::string Name() const;
    bool Act(StepContext& context) const;
};

}  // namespace orvhost
