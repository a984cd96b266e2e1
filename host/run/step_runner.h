#pragma once
// Runs a scenario's timeline against the service through a ServiceHost: each step's action,
// its wait ("until"), waits for evidence, checks, and groups of steps started together.
//
// Threads: Run is called on one timeline thread; a "together" group runs each of its steps on
// a thread of its own, which the group joins before it ends. Outcomes and check results are
// guarded by the runner's mutex, so a watchdog on another thread may read them at any time
// (Outcomes, CurrentDeadline) while the timeline still runs.

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/annotated_mutex.h"
#include "host/machine/evidence.h"
#include "host/machine/service_host.h"
#include "host/scenario/scenario.h"
#include "host/steps/step_context.h"

namespace orvhost {

struct StepOutcome {
    std::string name;
    std::string path;
    int depth = 0;  // 1 inside a "together" group
    bool finished = false;
    bool ok = false;
    std::string detail;                // why it failed
    std::vector<std::string> context;  // nearest log lines for a failed wait
    std::uint32_t threadId = 0;
    std::chrono::milliseconds began{0};
    std::chrono::milliseconds ended{0};
};

class StepRunner {
  public:
    using Announce = std::function<void(const std::string& name, int depth)>;

    StepRunner(ServiceHost& host, Evidence& evidence, std::int64_t defaultTimeoutMs,
               Announce announce);

    // Runs the steps in order. A failed step is recorded and the timeline goes on; an action
    // that cannot be carried out at all ends the timeline and sets Error().
    void Run(const std::vector<Step>& steps);
    // Stops the service when OnStart was called after the last OnStop (the timeline left it
    // running, or its stop could not be made).
    void StopIfRunning();

    std::vector<StepOutcome> Outcomes() const;
    std::vector<ExpectationResult> CheckResults() const;
    std::optional<std::string> Error() const;
    // Real-time deadline of the top-level step now running (or of the final stop); empty
    // between steps.
    std::optional<std::chrono::steady_clock::time_point> CurrentDeadline() const;
    // The name of the step the deadline belongs to.
    std::string CurrentStep() const;

  private:
    struct Marks {
        std::size_t lines = 0;
        std::uint64_t calls = 0;
        std::uint64_t publications = 0;
    };

    // What a step acts through: the runner, with the step it acts for (step_runner.cpp).
    class Context;

    bool RunStep(const Step& step, int depth);
    bool Act(const Step& step, int depth, const Marks& marks, StepOutcome& outcome);
    bool RunTogether(const std::vector<Step>& steps, int depth);
    bool AwaitGroupStarts(const Step& step, StepOutcome& outcome);
    bool CheckNow(const Step& step, const std::vector<Expectation>& expectations,
                  StepOutcome& outcome);
    void StartCame() EXCLUDES(mutex_);
    bool Satisfied(const Condition& condition, const Marks& marks, std::int64_t& found) const;
    bool Wait(const Condition& condition, const Marks& marks, std::int64_t timeoutMs,
              StepOutcome& outcome) const;
    Marks MarkNow() const;
    std::int64_t TimeoutOf(const Step& step) const;
    std::chrono::milliseconds Budget(const Step& step) const;
    std::size_t BeginOutcome(const Step& step, int depth);
    void EndOutcome(std::size_t index, const StepOutcome& outcome);

    ServiceHost& host_;
    Evidence& evidence_;
    const std::int64_t defaultTimeoutMs_;
    const Announce announce_;
    mutable tsa::Mutex mutex_;
    // Starts of the running "together" group that have not called OnStart yet: its stop
    // waits for them, as a host stops only what it started.
    int startsToCome_ GUARDED_BY(mutex_) = 0;
    tsa::CondVar startsCame_;
    std::vector<StepOutcome> outcomes_ GUARDED_BY(mutex_);
    std::vector<ExpectationResult> checks_ GUARDED_BY(mutex_);
    std::optional<std::string> error_ GUARDED_BY(mutex_);
    std::optional<std::chrono::steady_clock::time_point> deadline_ GUARDED_BY(mutex_);
    std::string current_ GUARDED_BY(mutex_);
};

}  // namespace orvhost
