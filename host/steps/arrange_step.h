#pragma once
// Change arrangements while running.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "host/scenario/scenario_model.h"

namespace orvhost {

class Diagnostics;
class JsonObject;
class StepContext;
struct Step;

struct ArrangeStep {
    static constexpr std::string_view kName = "arrange";
    std::optional<MachineArrangement> machine;
    std::optional<ClientArrangement> client;

    void Read(JsonObject& object);
    std::string Name() const;
    bool Act(StepContext& context) const;
    // Cross-checks that reading one object cannot make.
    void Validate(const Step& step, bool inGroup, Diagnostics& diagnostics) const;
};

}  // namespace orvhost
