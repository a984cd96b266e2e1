#include "host/steps/fail_step.h"

#include <fmt/format.h>

#include "host/scenario/arrangement.h"
#include "host/scenario/parser_parts.h"

namespace orvhost {

void FailStep::Read(JsonObject& object) {
    failure = parse::Failure(object);
}

std::string FailStep::Name() const {
    return fmt::format("{} {}", failure.clear ? "stop failing" : "fail", failure.call);
}

bool FailStep::Act(StepContext&) const {
    ApplyFailure(failure);
    return true;
}

}  // namespace orvhost
