#include "host/steps/session_change_step.h"

#include <fmt/format.h>

#include "host/machine/service_host.h"
#include "host/scenario/parser_parts.h"
#include "host/scenario/scenario_names.h"
#include "host/steps/step_context.h"

namespace orvhost {

void SessionChangeStep::Read(JsonObject& object) {
    if (auto member = object.Require("reason")) {
        reason = parse::CodeOrName(*member, names::SessionReasons()).value_or(0);
    }
    parse::Optional(object, "noData", noData, [](const JsonNode& n) { return n.Bool(); });
    if (auto session = object.Take("sessionId")) {
        sessionId = parse::Dword(*session).value_or(0);
        if (noData) {
            session->Error("\"sessionId\" and \"noData\" exclude each other");
        }
    } else if (!noData) {
        object.Require("sessionId");
    }
}

std::string SessionChangeStep::Name() const {
    return fmt::format("session change: {} {}", names::NameOf(names::SessionReasons(), reason),
                       noData ? "without data" : fmt::format("(session {})", sessionId));
}

bool SessionChangeStep::Act(StepContext& context) const {
    if (noData) {
        context.Host().SendControl(SERVICE_CONTROL_SESSIONCHANGE, reason, nullptr);
    } else {
        context.Host().SendSessionChange(reason, sessionId);
    }
    return true;
}

}  // namespace orvhost
