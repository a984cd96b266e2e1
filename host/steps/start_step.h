#pragma once
// The service's start: OnStart on a thread of its own, as the service host calls it. The
// exception the scenario expects to escape (the host contains it); any other escape, or none,
// fails the step.

#include "host/steps/step_kind.h"

namespace orvhost {

struct StartStep {
    static constexpr std::string_view kName = "start";
    std::optional<ThrownException> escapes;

    void Read(JsonObject& object);
    std::string Name() const;
    bool Act(StepContext& context) const;
};

// Whether what escaped an entry point is what the step expected; fails the step when not.
bool JudgeEscape(const char* entry, const std::optional<ThrownException>& expected,
                 const std::optional<std::string>& escaped, StepContext& context);

}  // namespace orvhost
