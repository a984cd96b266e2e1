#include "host/run/step_runner.h"

#include <fmt/format.h>

#include <algorithm>
#include <future>
#include <latch>
#include <stdexcept>
#include <thread>

#include "host/scenario/matchers.h"
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

class StepRunner::Context final : public StepContext {
  public:
    Context(StepRunner& runner, const Step& step, int depth, const Marks& marks,
            StepOutcome& outcome)
        : runner_(runner), step_(step), depth_(depth), marks_(marks), outcome_(outcome) {}

    ServiceHost& Host() override { return runner_.host_; }
    std::int64_t TimeoutMs() const override { return runner_.TimeoutOf(step_); }
    void Fail(std::string detail) override { outcome_.detail = std::move(detail); }
    bool WaitFor(const Condition& condition) override {
        return runner_.Wait(condition, marks_, TimeoutMs(), outcome_);
    }
    bool CheckNow(const std::vector<Expectation>& expectations) override {
        return runner_.CheckNow(step_, expectations, outcome_);
    }
    bool RunTogether(const std::vector<Step>& steps) override {
        return runner_.RunTogether(steps, depth_);
    }
    void StartCalled() override {
        if (depth_ > 0) {
            runner_.StartCame();
        }
    }
    bool AwaitGroupStarts() override { return runner_.AwaitGroupStarts(step_, outcome_); }

  private:
    StepRunner& runner_;
    const Step& step_;
    const int depth_;
    const Marks& marks_;
    StepOutcome& outcome_;
};

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
        } else {
            if (step.delayMs > 0) {
                Sleep(static_cast<DWORD>(step.delayMs));
            }
            acted = true;
            outcome.ok = Act(step, depth, marks, outcome);
            if (outcome.ok && step.until) {
                outcome.ok = Wait(*step.until, marks, TimeoutOf(step), outcome);
            }
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

bool StepRunner::Act(const Step& step, int depth, const Marks& marks, StepOutcome& outcome) {
    Context context(*this, step, depth, marks, outcome);
    return std::visit([&](const auto& kind) { return kind.Act(context); }, step.action);
}

bool StepRunner::AwaitGroupStarts(const Step& step, StepOutcome& outcome) {
    const milliseconds timeout(TimeoutOf(step));
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
    return true;
}

bool StepRunner::RunTogether(const std::vector<Step>& steps, int depth) {
    {
        tsa::MutexLock lock(mutex_);
        startsToCome_ =
            static_cast<int>(std::count_if(steps.begin(), steps.end(), [](const Step& inner) {
                return inner.As<StartStep>() != nullptr;
            }));
    }
    std::latch ready(static_cast<std::ptrdiff_t>(steps.size()));
    std::vector<char> results(steps.size(), 0);
    std::vector<std::thread> threads;
    threads.reserve(steps.size());
    for (std::size_t i = 0; i < steps.size(); ++i) {
        threads.emplace_back([&, i] {
            ready.arrive_and_wait();  // all threads exist before any step acts
            results[i] = RunStep(steps[i], depth + 1) ? 1 : 0;
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    return std::all_of(results.begin(), results.end(), [](char ok) { return ok != 0; });
}

bool StepRunner::CheckNow(const Step& step, const std::vector<Expectation>& expectations,
                          StepOutcome& outcome) {
    const Snapshot snapshot = TakeSnapshot(evidence_, host_);
    const std::string where = fmt::format("step \"{}\" ({})", step.name, step.path);
    bool all = true;
    std::vector<ExpectationResult> results;
    for (const Expectation& expectation : expectations) {
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
