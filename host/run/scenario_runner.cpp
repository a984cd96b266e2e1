#include "host/run/scenario_runner.h"

#include <fmt/format.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>

#include "base/annotated_mutex.h"
#include "host/run/terminal_log.h"
#include "host/scenario/arrangement.h"
#include "sim/common_base/log_control.h"
#include "winapi/control/machine_control.h"

namespace orvhost {

namespace {

using std::chrono::milliseconds;

void Announce(const std::string& name, int depth) {
    fmt::print("{}==> {}\n", std::string(static_cast<std::size_t>(depth) * 4, ' '), name);
    std::fflush(stdout);
}

// Fills what the steps and the evidence say; the caller adds expectations and errors.
void Collect(const StepRunner& runner, const Evidence& evidence, const ServiceHost& host,
             RunResult& result) {
    result.steps = runner.Outcomes();
    // An exception out of OnStart reaches no step (the start step returned at once); it fails
    // the run here unless its step expected it.
    for (const EntryCall& call : host.EntryCalls()) {
        if (call.entry == "OnStart" && call.escaped && !call.escapeExpected) {
            StepOutcome escape;
            escape.name = "OnStart (on its start thread)";
            escape.path = "$.timeline";
            escape.finished = true;
            escape.detail = "OnStart let an exception escape: " + *call.escaped;
            escape.threadId = call.threadId;
            escape.began = call.began;
            escape.ended = call.returned.value_or(call.began);
            result.steps.push_back(std::move(escape));
        }
    }
    result.evidence = TakeSnapshot(evidence, host);
    result.expectations = runner.CheckResults();
    result.logFile = orvsim::LogFilePath().string();
}

// What the timeline thread shares with the watchdog. Shared ownership: when a step hangs, the
// thread is left running while the process writes its outputs and ends.
struct TimelineState {
    tsa::Mutex mutex;
    tsa::CondVar finishedChanged;
    bool finished GUARDED_BY(mutex) = false;
    std::uint32_t threadId GUARDED_BY(mutex) = 0;
};

// Plays the timeline on its own thread and watches each step's deadline from this one.
// Returns false when a step outlived it.
bool PlayTimeline(const Scenario& scenario, StepRunner& runner, std::uint32_t& timelineThread,
                  std::string& hung) {
    const auto state = std::make_shared<TimelineState>();
    std::thread timeline([state, &scenario, &runner] {
        {
            tsa::MutexLock lock(state->mutex);
            state->threadId = static_cast<std::uint32_t>(GetCurrentThreadId());
        }
        runner.Run(scenario.timeline);
        runner.StopIfRunning();
        tsa::MutexLock lock(state->mutex);
        state->finished = true;
        state->finishedChanged.NotifyAll();
    });
    constexpr milliseconds kLook{100};
    tsa::MutexLock lock(state->mutex);
    while (!state->finished) {
        state->finishedChanged.WaitUntil(state->mutex, std::chrono::steady_clock::now() + kLook);
        const auto deadline = runner.CurrentDeadline();
        if (!state->finished && deadline && std::chrono::steady_clock::now() > *deadline) {
            hung =
                fmt::format("step \"{}\" did not finish within its time-out; the service may hang",
                            runner.CurrentStep());
            timelineThread = state->threadId;
            timeline.detach();  // it cannot be taken back; the process ends from here
            return false;
        }
    }
    timelineThread = state->threadId;
    timeline.join();
    return true;
}

}  // namespace

bool RunResult::clean() const {
    return !error && !hung &&
           std::all_of(steps.begin(), steps.end(), [](const StepOutcome& s) { return s.ok; }) &&
           std::all_of(expectations.begin(), expectations.end(),
                       [](const ExpectationResult& e) { return e.met; });
}

int RunResult::ExitCode() const {
    if (error) {
        return 2;
    }
    return clean() ? 0 : 1;
}

RunResult RunScenario(const Scenario& scenario, const RunOptions& options,
                      const HangHandler& onHang) {
    RunResult result;
    result.file = scenario.file;
    result.name = scenario.name;
    result.description = scenario.description;
    SERVICE_STATUS_HANDLE status = nullptr;
    try {
        status = ArrangeInitial(scenario.machine, scenario.client, options.clockScale);
    } catch (const std::exception& error) {
        result.error = fmt::format("the arrangement could not be made: {}", error.what());
        return result;
    }
    result.clockScale = winsim::clock::Scale();
    orvsim::SetLogDirectory(options.logDirectory);

    Evidence evidence;
    std::optional<TerminalLog> terminal;
    if (options.streamLog) {
        terminal.emplace();
    }
    ServiceHost host(status);
    StepRunner runner(host, evidence, scenario.timeoutMs, Announce);
    std::string hung;
    bool played = PlayTimeline(scenario, runner, result.timelineThread, hung);
    if (played && host.ServiceMayRun()) {
        // Its threads would outlive the run and the process's exit handlers.
        hung = "the service could not be stopped: OnStop was never called for the last start";
        played = false;
    }
    if (!played) {
        terminal.reset();
        Collect(runner, evidence, host, result);
        result.hung = hung;
        if (onHang) {
            onHang(result);
        }
        std::fflush(nullptr);
        std::_Exit(1);
    }
    terminal.reset();
    Collect(runner, evidence, host, result);
    result.error = runner.Error();
    for (const Expectation& expectation : scenario.expectations) {
        result.expectations.push_back(Evaluate(expectation, result.evidence, "end of run"));
    }
    return result;
}

}  // namespace orvhost
