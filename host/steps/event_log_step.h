#pragma once
// An event on the System channel (or an error notification): exactly one of the three.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "host/scenario/scenario_model.h"

namespace orvhost {

class JsonObject;
class StepContext;

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
