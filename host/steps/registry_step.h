#pragma once
// A registry value set or removed.

#include <string>
#include <string_view>

#include "host/scenario/scenario_model.h"

namespace orvhost {

class JsonObject;
class StepContext;

struct RegistryStep {
    static constexpr std::string_view kName = "registry";
    RegistryEdit edit;

    void Read(JsonObject& object);
    std::string Name() const;
    bool Act(StepContext& context) const;
};

}  // namespace orvhost
