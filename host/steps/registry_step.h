#pragma once
// A registry value set or removed.

#include "host/steps/step_kind.h"

namespace orvhost {

struct RegistryStep {
    static constexpr std::string_view kName = "registry";
    RegistryEdit edit;

    void Read(JsonObject& object);
    std::string Name() const;
    bool Act(StepContext& context) const;
};

}  // namespace orvhost
