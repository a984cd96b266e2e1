#include "host/scenario/scenario_validator.h"

#include <fmt/format.h>

#include <algorithm>
#include <cstdint>

namespace orvhost {

namespace {

void CheckExpectation(const Expectation& expectation, Diagnostics& diagnostics) {
    if (const auto* duration = expectation.As<DurationExpectation>();
        duration && duration->atLeastMs && duration->atMostMs &&
        *duration->atLeastMs > *duration->atMostMs) {
        diagnostics.Add(expectation.path, "the duration's \"atLeastMs\" is above its \"atMostMs\"");
    }
    const std::vector<Expectation>* group = nullptr;
    if (const auto* anyOf = expectation.As<AnyOfExpectation>()) {
        group = &anyOf->group;
    } else if (const auto* allOf = expectation.As<AllOfExpectation>()) {
        group = &allOf->group;
    }
    for (std::size_t i = 0; group != nullptr && i < group->size(); ++i) {
        CheckExpectation((*group)[i], diagnostics);
    }
}

// A second arrangement of the same call would silently replace the first.
void CheckThrows(const ClientArrangement& client, Diagnostics& diagnostics) {
    for (std::size_t i = 0; i < client.throws.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            if (client.throws[i].component == client.throws[j].component &&
                client.throws[i].operation == client.throws[j].operation) {
                diagnostics.Add(client.throws[i].path,
                                fmt::format("\"{}::{}\" is already arranged to throw at {}",
                                            client.throws[i].component, client.throws[i].operation,
                                            client.throws[j].path));
            }
        }
    }
}

void CheckDelays(const ClientArrangement& client, Diagnostics& diagnostics) {
    const auto what = [](const DelayArrangement& delay) {
        return delay.logMessage.empty()
                   ? fmt::format("\"{}::{}\"", delay.component, delay.operation)
                   : fmt::format("the log line \"{}\"", delay.logMessage);
    };
    for (std::size_t i = 0; i < client.delays.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            if (what(client.delays[i]) == what(client.delays[j])) {
                diagnostics.Add(client.delays[i].path,
                                fmt::format("{} is already arranged to be delayed at {}",
                                            what(client.delays[i]), client.delays[j].path));
            }
        }
    }
}

void CheckSteps(const std::vector<Step>& steps, bool together, Diagnostics& diagnostics);

// The host plays one service host: it never calls OnStart twice at once, nor OnStop.
void CheckTogether(const Step& group, const TogetherStep& together, Diagnostics& diagnostics) {
    const auto count = [&](auto isKind) {
        return std::count_if(together.steps.begin(), together.steps.end(),
                             [&](const Step& step) { return isKind(step) != nullptr; });
    };
    if (count([](const Step& s) { return s.As<StartStep>(); }) > 1) {
        diagnostics.Add(group.path, "at most one \"start\" may run in a \"together\" group");
    }
    if (count([](const Step& s) { return s.As<StopStep>(); }) > 1) {
        diagnostics.Add(group.path, "at most one \"stop\" may run in a \"together\" group");
    }
    for (const Step& step : together.steps) {
        if (step.As<TogetherStep>()) {
            diagnostics.Add(step.path, "\"together\" groups do not nest");
        }
    }
    CheckSteps(together.steps, true, diagnostics);
}

void CheckSteps(const std::vector<Step>& steps, bool together, Diagnostics& diagnostics) {
    for (const Step& step : steps) {
        if (const auto* group = step.As<TogetherStep>(); group && !together) {
            CheckTogether(step, *group, diagnostics);
        }
        if (const auto* arrange = step.As<ArrangeStep>()) {
            if (arrange->machine && arrange->machine->clockScale && together) {
                diagnostics.Add(step.path,
                                "the clock's scale cannot change inside a \"together\" group");
            }
            if (arrange->client) {
                CheckThrows(*arrange->client, diagnostics);
                CheckDelays(*arrange->client, diagnostics);
            }
        }
        if (const auto* check = step.As<CheckStep>()) {
            for (const Expectation& expectation : check->expectations) {
                CheckExpectation(expectation, diagnostics);
            }
        }
    }
}

// How far a timeline may move the machine's wall clock from where the run starts, either way:
// well inside the years the clock holds (1800 to 2261) for a long time to come.
constexpr std::int64_t kMaxWallDriftYears = 100;
constexpr std::int64_t kMaxWallDriftMs = kMaxWallDriftYears * 36525 / 100 * 24 * 3600 * 1000;

// The furthest a step may move the wall clock forward and back, steps of a group in any order.
void WallMoves(const Step& step, std::int64_t& forward, std::int64_t& back) {
    forward += step.delayMs;
    if (const auto* change = step.As<ClockChangeStep>()) {
        (change->deltaMs > 0 ? forward : back) += change->deltaMs;
    } else if (const auto* advance = step.As<AdvanceClockStep>()) {
        forward += advance->durationMs;
    } else if (const auto* pause = step.As<PauseStep>()) {
        forward += pause->durationMs;
    } else if (const auto* group = step.As<TogetherStep>()) {
        for (const Step& inner : group->steps) {
            WallMoves(inner, forward, back);
        }
    }
}

void CheckWallClock(const std::vector<Step>& steps, Diagnostics& diagnostics) {
    std::int64_t moved = 0;
    for (const Step& step : steps) {
        std::int64_t forward = 0;
        std::int64_t back = 0;
        WallMoves(step, forward, back);
        if (moved + forward > kMaxWallDriftMs || moved + back < -kMaxWallDriftMs) {
            diagnostics.Add(step.path,
                            fmt::format("the clock changes so far move the machine's wall clock "
                                        "more than {} years from where the run starts",
                                        kMaxWallDriftYears));
            return;
        }
        moved += forward + back;
    }
}

}  // namespace

void ValidateScenario(const Scenario& scenario, Diagnostics& diagnostics) {
    CheckThrows(scenario.client, diagnostics);
    CheckDelays(scenario.client, diagnostics);
    CheckSteps(scenario.timeline, false, diagnostics);
    CheckWallClock(scenario.timeline, diagnostics);
    for (const Expectation& expectation : scenario.expectations) {
        CheckExpectation(expectation, diagnostics);
    }
    if (scenario.timeline.empty()) {
        diagnostics.Add("$.timeline", "the timeline has no steps");
    }
}

}  // namespace orvhost
