#include "host/steps/control_step.h"

#include <fmt/format.h>

#include "host/machine/service_host.h"
#include "host/scenario/parser_parts.h"
#include "host/scenario/scenario_names.h"
#include "host/steps/step_context.h"

namespace orvhost {

void ControlStep::Read(JsonObject& object) {
    if (auto member = object.Require("code")) {
        code = parse::CodeOrName(*member, names::ControlCodes()).value_or(0);
    }
    parse::Optional(object, "eventType", eventType, parse::Dword);
}

std::string ControlStep::Name() const {
    const auto name = names::NameOf(names::ControlCodes(), code);
    return fmt::format("control {}{}{}", code, name.empty() ? "" : fmt::format(" ({})", name),
                       eventType == 0 ? "" : fmt::format(", event type {}", eventType));
}

bool ControlStep::Act(StepContext& context) const {
    context.Host().SendControl(code, eventType, nullptr);
    return true;
}

}  // namespace orvhost
