#pragma once
// Control 16 with old and new time: moved by deltaMs from now, explicit, or without data.

#include "host/steps/step_kind.h"

namespace orvhost {

struct TimeChangeStep {
    static constexpr std::string_view kName = "timeChange";
    bool noData = false;
    std::int64_t deltaMs = 0;
    std::optional<std::int64_t> oldTimeMs;  // ms since 1970
    std::optional<std::int64_t> newTimeMs;

    void Read(JsonObject& object);
    std::string Name() const;
    bool Act(StepContext& context) const;
};

}  // namespace orvhost
