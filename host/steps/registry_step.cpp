#include "host/steps/registry_step.h"

#include <fmt/format.h>

#include "host/scenario/arrangement.h"
#include "host/scenario/parser_parts.h"

namespace orvhost {

void RegistryStep::Read(JsonObject& object) {
    edit = parse::Registry(object, false);
}

std::string RegistryStep::Name() const {
    return fmt::format("registry {}\\{}", edit.key, edit.name);
}

bool RegistryStep::Act(StepContext&) const {
    ApplyRegistryEdit(edit);
    return true;
}

}  // namespace orvhost
