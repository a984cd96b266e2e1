#include "host/steps/wait_for_step.h"

#include "host/scenario/parser_parts.h"
#include "host/steps/step_context.h"

namespace orvhost {

void WaitForStep::Read(JsonObject& object) {
    condition = parse::ConditionOf(object, false).value_or(Condition{});
}

std::string WaitForStep::Name() const {
    return "wait";
}

bool WaitForStep::Act(StepContext& context) const {
    return context.WaitFor(condition);
}

}  // namespace orvhost
