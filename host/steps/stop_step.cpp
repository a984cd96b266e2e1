#include "host/steps/stop_step.h"

#include <chrono>

#include "host/machine/service_host.h"
#include "host/scenario/parser_parts.h"
#include "host/steps/start_step.h"
#include "host/steps/step_context.h"

namespace orvhost {

void StopStep::Read(JsonObject& object) {
    parse::Escapes(object, escapes);
}

std::string StopStep::Name() const {
    return "stop the service";
}

bool StopStep::Act(StepContext& context) const {
    if (!context.AwaitGroupStarts()) {
        return false;
    }
    StopResult stopped = context.Host().Stop(std::chrono::milliseconds(context.TimeoutMs()));
    if (stopped.refused) {
        context.Fail(*stopped.refused);
        return false;
    }
    return JudgeEscape("OnStop", escapes, stopped.escaped, context);
}

}  // namespace orvhost
