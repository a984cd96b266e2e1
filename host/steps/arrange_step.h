#pragma once
// Change arrangements while running.

#include "host/steps/step_kind.h"

namespace orvhost {

struct ArrangeStep {
    static constexpr std::string_view kName = "arrange";
    std::optional<MachineArrangement> machine;
    std::optional<ClientArrangement> client;

    void Read(JsonObject& object);
    std::string Name() const;
    bool Act(StepContext& context) const;
    void Validate(const Step& step, bool inGroup, Diagnostics& diagnostics) const;
};

}  // namespace orvhost
