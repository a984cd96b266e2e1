#pragma once
// Arranging the agents of the stand-ins (C++ control API for tests and orvhost).
//
// Every agent derived from IORVAgent looks up its behaviour here by its name at each step,
// so an arrangement made while the client runs applies from the agent's next step on.
// Any thread.

#include <chrono>
#include <string>
#include <string_view>

namespace orvsim {

enum class StepFailure {
    kNone,         // the step succeeds
    kReturnFalse,  // Init / FullInit report failure (UnInit simply returns)
    kThrow,        // the step throws std::runtime_error after its duration
};

struct AgentStep {
    std::chrono::milliseconds duration{0};  // on the simulated machine's clock
    StepFailure failure = StepFailure::kNone;
};

struct AgentBehaviour {
    AgentStep init;
    AgentStep fullInit;
    AgentStep unInit;  // an exception here leaves the caller's thread, as it would on Windows
    bool nameThrows = false;  // Name() throws std::runtime_error
};

// Arranges the behaviour of the agent whose Name() is `name` (until reset).
void ArrangeAgent(const std::wstring& name, const AgentBehaviour& behaviour);
AgentBehaviour ArrangedAgent(const std::wstring& name);

// Makes GetInstance of `component` (e.g. "DownloadAgent") return null, or not.
void ArrangeMissingInstance(std::string_view component, bool missing);
bool IsInstanceMissing(std::string_view component);

// Back to defaults: every agent succeeds at once; every instance exists.
void ResetAgentArrangements();

}  // namespace orvsim
