#include "host/steps/check_step.h"

#include "host/scenario/parser_parts.h"
#include "host/scenario/scenario_validator.h"
#include "host/steps/step_context.h"

namespace orvhost {

void CheckStep::Read(JsonObject& object) {
    if (auto expect = object.Require("expect")) {
        expectations = parse::Expectations(*expect);
    }
}

std::string CheckStep::Name() const {
    return "check expectations";
}

bool CheckStep::Act(StepContext& context) const {
    return context.CheckNow(expectations);
}

void CheckStep::Validate(const Step&, bool, Diagnostics& diagnostics) const {
    for (const Expectation& expectation : expectations) {
        validate::One(expectation, diagnostics);
    }
}

}  // namespace orvhost
