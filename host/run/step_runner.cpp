#include "host/run/step_runner.h"

#include <fmt/format.h>

#include <algorithm>
#include <future>
#include <latch>
#include <stdexcept>
#include <thread>

#include "host/run/matchers.h"
#include "host/run/step_actions.h"
#include "sim/client/client_control.h"
#include "winapi/control/machine_control.h"

namespace orvhost {

namespace {

using std::chrono::milliseconds;

// Room on top of a step's own time-out before the watchdog gives up on it: as much again as
// the time-out, up to this.
constexpr milliseconds kMaxWatchdogSlack{15000};

std::uint32_t ThisThread() {
    return static_cast<std::uint32_t>(GetCurrentThreadId());
}

std::string DescribeCondition(const Condition& condition) {
    std::string what = condition.log    ? "log " + Describe(*condition.log)
                       : condition.call ? "call " + Describe(*condition.call)
                                        : "publication " + Describe(*condition.publication);
    if (condition.count > 1) {
        what += fmt::format(" {} times", condition.count);
    }
    return what + (condition.onlyNew ? " (new)" : "");
}

std::string_view TypeName(ThrownException exception) {
    return exception == ThrownException::kBadArrayNewLength ? "std::bad_array_new_length"
                                                            : "std::runtime_error";
}

// Whether what escaped the entry point is what the step expected; says why not in `detail`.
bool JudgeEscape(const char* entry, const std::optional<ThrownException>& expected,
                 const std::optional<std::string>& escaped, std::string& detail) {
    if (escaped && !expected) {
        detail = fmt::format("{} let an exception escape: {}", entry, *escaped);
        return false;
    }
    if (expected && !escaped) {
        detail = fmt::format("{} was expected to let {} escape, but returned normally", entry,
                             TypeName(*expected));
        return false;
    }
    if (expected && !escaped->starts_with(TypeName(*expected))) {
        detail = fmt::format("{} was expected to let {} escape, but let escape {}", entry,
                             TypeName(*expected), *escaped);
        return false;
    }
    return true;
}

// The machine time a step's action takes by itself.
std::int64_t MachineTimeOf(const StepAction& action) {
    if (const auto* pause = std::get_if<PauseStep>(&action)) {
        return pause->durationMs;
    }
    const auto* advance = std::get_if<AdvanceClockStep>(&action);
    return advance ? advance->durationMs : 0;
}

}  // namespace

StepRunner::StepRunner(ServiceHost& host, Evidence& evidence, std::int64_t defaultTimeoutMs,
                       Announce announce)
    : host_(host),
      evidence_(evidence),
      defaultTimeoutMs_(defaultTimeoutMs),
      announce_(std::move(announce)) {}

void StepRunner::Run(const std::vector<Step>& steps) {
    for (const Step& step : steps) {
        {
            tsa::MutexLock lock(mutex_);
            if (error_) {
                return;
            }
            deadline_ = std::chrono::steady_clock::now() + Budget(step);
            current_ = step.name;
        }
        RunStep(step, 0);
        tsa::MutexLock lock(mutex_);
        deadline_.reset();
    }
}

void StepRunner::StopIfRunning() {
    if (!host_.ServiceMayRun()) {
        return;
    }
    Step stop;
    stop.action = StopStep{};
    stop.name = "stop the service (end of timeline)";
    stop.path = "$.timeline";
    {
        tsa::MutexLock lock(mutex_);
        deadline_ = std::chrono::steady_clock::now() + Budget(stop);
        current_ = stop.name;
    }
    RunStep(stop, 0);
    tsa::MutexLock lock(mutex_);
    deadline_.reset();
}

template <class Kind>
bool StepRunner::Perform(const Step&, const Kind& action, int, const Marks&, StepOutcome&) {
    Act(host_, action);
    return true;
}

bool StepRunner::RunStep(const Step& step, int depth) {
    announce_(step.name, depth);
    const std::size_t index = BeginOutcome(step, depth);
    StepOutcome outcome;
    outcome.ok = true;
    bool acted = false;
    const Marks marks = MarkNow();
    try {
        if (step.after && !Wait(*step.after, marks, TimeoutOf(step), outcome)) {
            outcome.ok = false;
            outcome.detail = "not carried out: " + outcome.detail;
            if (step.As<StartStep>() && depth > 0) {
                StartCame();
            }
            EndOutcome(index, outcome);
            return false;
        }
        if (step.delayMs > 0) {
            Sleep(static_cast<DWORD>(step.delayMs));
        }
        acted = true;
        outcome.ok = std::visit(
            [&](const auto& action) { return Perform(step, action, depth, marks, outcome); },
            step.action);
        if (outcome.ok && step.until) {
            outcome.ok = Wait(*step.until, marks, TimeoutOf(step), outcome);
        }
    } catch (const std::exception& error) {
        outcome.ok = false;
        outcome.detail = fmt::format("could not be carried out: {}", error.what());
        tsa::MutexLock lock(mutex_);
        error_ = fmt::format("{}: step \"{}\" {}", step.path, step.name, outcome.detail);
    }
    if (step.As<StartStep>() && depth > 0 && !acted) {
        StartCame();  // one that never acted: its group's stop waits no longer
    }
    EndOutcome(index, outcome);
    return outcome.ok;
}

void StepRunner::StartCame() {
    tsa::MutexLock lock(mutex_);
    --startsToCome_;
    startsCame_.NotifyAll();
}

bool StepRunner::Perform(const Step& step, const StopStep& stop, int, const Marks&,
                         StepOutcome& outcome) {
    const milliseconds timeout(TimeoutOf(step));
    {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        tsa::MutexLock lock(mutex_);
        while (startsToCome_ > 0) {
            if (!startsCame_.WaitUntil(mutex_, deadline) &&
                std::chrono::steady_clock::now() >= deadline) {
                outcome.detail = fmt::format(
                    "OnStop was not called: the group's start did not call OnStart within {} ms",
                    timeout.count());
                return false;
            }
        }
    }
    StopResult stopped = host_.Stop(timeout);
    if (stopped.refused) {
        outcome.detail = *stopped.refused;
        return false;
    }
    return JudgeEscape("OnStop", stop.escapes, stopped.escaped, outcome.detail);
}

bool StepRunner::Perform(const Step& step, const StartStep& start, int depth, const Marks&,
                         StepOutcome& outcome) {
    auto ended = host_.Start(start.escapes.has_value());
    if (depth > 0) {
        StartCame();
    }
    if (!start.escapes) {
        return true;  // OnStart runs on; an escape from it fails the run at its end
    }
    // The step waits for OnStart to end, so that it can tell whether the exception came.
    if (ended.wait_for(milliseconds(TimeoutOf(step))) != std::future_status::ready) {
        outcome.detail = "OnStart did not return within the step's time-out";
        return false;
    }
    return JudgeEscape("OnStart", start.escapes, ended.get(), outcome.detail);
}

bool StepRunner::Perform(const Step&, const TogetherStep& group, int depth, const Marks&,
                         StepOutcome&) {
    {
        tsa::MutexLock lock(mutex_);
        startsToCome_ = static_cast<int>(
            std::count_if(group.steps.begin(), group.steps.end(),
                          [](const Step& inner) { return inner.As<StartStep>() != nullptr; }));
    }
    std::latch ready(static_cast<std::ptrdiff_t>(group.steps.size()));
    std::vector<char> results(group.steps.size(), 0);
    std::vector<std::thread> threads;
    threads.reserve(group.steps.size());
    for (std::size_t i = 0; i < group.steps.size(); ++i) {
        threads.emplace_back([&, i] {
            ready.arrive_and_wait();  // all threads exist before any step acts
            results[i] = RunStep(group.steps[i], depth + 1) ? 1 : 0;
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    return std::all_of(results.begin(), results.end(), [](char ok) { return ok != 0; });
}

bool StepRunner::Perform(const Step& step, const WaitForStep& wait, int, const Marks& marks,
                         StepOutcome& outcome) {
    return Wait(wait.condition, marks, TimeoutOf(step), outcome);
}

bool StepRunner::Perform(const Step& step, const CheckStep& check, int, const Marks&,
                         StepOutcome& outcome) {
    const Snapshot snapshot = TakeSnapshot(evidence_, host_);
    const std::string where = fmt::format("step \"{}\" ({})", step.name, step.path);
    bool all = true;
    std::vector<ExpectationResult> results;
    for (const Expectation& expectation : check.expectations) {
        results.push_back(Evaluate(expectation, snapshot, where));
        all = all && results.back().met;
    }
    if (!all) {
        outcome.detail = "an expectation checked here was not met";
    }
    tsa::MutexLock lock(mutex_);
    checks_.insert(checks_.end(), results.begin(), results.end());
    return all;
}

bool StepRunner::Satisfied(const Condition& condition, const Marks& marks,
                           std::int64_t& found) const {
    found = 0;
    if (condition.log) {
        const std::vector<LogLine> lines = evidence_.Lines();
        for (std::size_t i = condition.onlyNew ? marks.lines : 0; i < lines.size(); ++i) {
            found += Matches(*condition.log, lines[i]) ? 1 : 0;
        }
    } else if (condition.call) {
        for (const CallRecord& call : evidence_.Calls()) {
            found += (!condition.onlyNew || call.sequence > marks.calls) &&
                             Matches(*condition.call, call)
                         ? 1
                         : 0;
        }
    } else {
        for (const orvsim::Publication& publication : orvsim::Publications()) {
            found += (!condition.onlyNew || publication.sequence > marks.publications) &&
                             Matches(*condition.publication, publication)
                         ? 1
                         : 0;
        }
    }
    return found >= condition.count;
}

bool StepRunner::Wait(const Condition& condition, const Marks& marks, std::int64_t timeoutMs,
                      StepOutcome& outcome) const {
    std::int64_t found = 0;
    const bool met = evidence_.WaitUntil([&] { return Satisfied(condition, marks, found); },
                                         milliseconds(timeoutMs));
    if (!met) {
        outcome.detail = fmt::format("no {} within {} ms (found {})", DescribeCondition(condition),
                                     timeoutMs, found);
        if (condition.log) {
            outcome.context = NearestLines(evidence_.Lines(), condition.log->text);
        }
    }
    return met;
}

StepRunner::Marks StepRunner::MarkNow() const {
    const std::vector<orvsim::Publication> publications = orvsim::Publications();
    return Marks{evidence_.LineCount(), evidence_.LastCallSequence(),
                 publications.empty() ? 0 : publications.back().sequence};
}

std::int64_t StepRunner::TimeoutOf(const Step& step) const {
    return step.timeoutMs.value_or(defaultTimeoutMs_);
}

milliseconds StepRunner::Budget(const Step& step) const {
    const double scale = winsim::clock::Scale();
    const auto machineTime = static_cast<double>(step.delayMs + MachineTimeOf(step.action));
    const milliseconds timeout(TimeoutOf(step));
    milliseconds budget = timeout + milliseconds(static_cast<std::int64_t>(machineTime / scale)) +
                          std::min(timeout, kMaxWatchdogSlack);
    if (step.after) {
        budget += timeout;  // the wait before the action may take as long as the one after
    }
    if (const auto* group = step.As<TogetherStep>()) {
        for (const Step& inner : group->steps) {
            budget = std::max(budget, Budget(inner));
        }
    }
    return budget;
}

std::size_t StepRunner::BeginOutcome(const Step& step, int depth) {
    StepOutcome outcome;
    outcome.name = step.name;
    outcome.path = step.path;
    outcome.depth = depth;
    outcome.threadId = ThisThread();
    outcome.began = winsim::clock::MonotonicNow();
    tsa::MutexLock lock(mutex_);
    outcomes_.push_back(std::move(outcome));
    return outcomes_.size() - 1;
}

void StepRunner::EndOutcome(std::size_t index, const StepOutcome& outcome) {
    const milliseconds now = winsim::clock::MonotonicNow();
    tsa::MutexLock lock(mutex_);
    StepOutcome& slot = outcomes_[index];
    slot.finished = true;
    slot.ok = outcome.ok;
    slot.detail = outcome.detail;
    slot.context = outcome.context;
    slot.ended = now;
}

std::vector<StepOutcome> StepRunner::Outcomes() const {
    tsa::MutexLock lock(mutex_);
    return outcomes_;
}

std::vector<ExpectationResult> StepRunner::CheckResults() const {
    tsa::MutexLock lock(mutex_);
    return checks_;
}

std::optional<std::string> StepRunner::Error() const {
    tsa::MutexLock lock(mutex_);
    return error_;
}

std::optional<std::chrono::steady_clock::time_point> StepRunner::CurrentDeadline() const {
    tsa::MutexLock lock(mutex_);
    return deadline_;
}

std::string StepRunner::CurrentStep() const {
    tsa::MutexLock lock(mutex_);
    return current_;
}

}  // namespace orvhost
