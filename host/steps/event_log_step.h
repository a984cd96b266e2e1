#pragma once
// An event on the System channel (or an error notification): exactly one of the three.

#include "host/steps/step_kind.h"

namespace orvhost {

struct EventLogStep {
    static constexpr std::string_view kName = "eventLog";
    std::optional<std::string> xml;
    std::optional<std::int64_t> timeDeltaMs;
    std::optional<std::uint32_t> errorCode;

    void Read(JsonObject& object);
    std::string Name() const;
    bool Act(StepContext& context) const;
};

}  // namespace orvhost
