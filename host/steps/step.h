#pragma once
// One step of the timeline: the keys every step shares and its kind (step_table.h).

#include <cstdint>
#include <optional>
#include <string>

#include "host/scenario/scenario_model.h"
#include "host/steps/step_table.h"

namespace orvhost {

struct Step {
    std::string name;                       // announced; generated when the file gives none
    std::string path;                       // JSON path, for messages
    std::int64_t delayMs = 0;               // machine time to let pass before the action
    std::optional<std::int64_t> timeoutMs;  // real time; the scenario's default otherwise
    std::optional<Condition> after;         // wait before the action (races: act once X happened)
    std::optional<Condition> until;         // wait after the action
    StepAction action;

    // The step's kind-specific part when it is of that kind, else null.
    template <class Kind>
    const Kind* As() const {
        return std::get_if<Kind>(&action);
    }
};

// Whether a kind takes "after" / "until"; a kind says so only when it does not.
template <class Kind>
constexpr bool TakesAfter() {
    if constexpr (requires { Kind::kTakesAfter; }) {
        return Kind::kTakesAfter;
    } else {
        return true;
    }
}

template <class Kind>
constexpr bool TakesUntil() {
    if constexpr (requires { Kind::kTakesUntil; }) {
        return Kind::kTakesUntil;
    } else {
        return true;
    }
}

// The machine time a step's action takes by itself (pauses and clock advances).
inline std::int64_t MachineTimeOf(const StepAction& action) {
    return std::visit(
        [](const auto& kind) -> std::int64_t {
            if constexpr (requires { kind.MachineTimeMs(); }) {
                return kind.MachineTimeMs();
            } else {
                return 0;
            }
        },
        action);
}

}  // namespace orvhost
