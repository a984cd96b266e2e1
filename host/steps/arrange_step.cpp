#include "host/steps/arrange_step.h"

#include "host/scenario/arrangement.h"
#include "host/scenario/parser_parts.h"
#include "host/scenario/scenario_validator.h"
#include "host/steps/step.h"

namespace orvhost {

void ArrangeStep::Read(JsonObject& object) {
    if (auto member = object.Take("machine")) {
        machine = parse::Machine(*member, true);
    }
    if (auto member = object.Take("client")) {
        client = parse::Client(*member);
    }
    if (!machine && !client) {
        object.node().Error("give \"machine\", \"client\" or both");
    }
}

std::string ArrangeStep::Name() const {
    return "change arrangements";
}

bool ArrangeStep::Act(StepContext&) const {
    if (machine) {
        ApplyMachine(*machine);
    }
    if (client) {
        ApplyClient(*client);
    }
    return true;
}

void ArrangeStep::Validate(const Step& step, bool inGroup, Diagnostics& diagnostics) const {
    if (machine && machine->clockScale && inGroup) {
        diagnostics.Add(step.path, "the clock's scale cannot change inside a \"together\" group");
    }
    if (client) {
        validate::Client(*client, diagnostics);
    }
}

}  // namespace orvhost
