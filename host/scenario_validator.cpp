#include "host/scenario_validator.h"

#include <fmt/format.h>

#include <algorithm>

namespace orvhost {

namespace {

void CheckExpectation(const Expectation& expectation, Diagnostics& diagnostics) {
    if (expectation.atLeastMs && expectation.atMostMs &&
        *expectation.atLeastMs > *expectation.atMostMs) {
        diagnostics.Add(expectation.path, "the duration's \"atLeastMs\" is above its \"atMostMs\"");
    }
    for (const Expectation& member : expectation.group) {
        CheckExpectation(member, diagnostics);
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

void CheckSteps(const std::vector<Step>& steps, bool together, Diagnostics& diagnostics);

// The host plays one service host: it never calls OnStart twice at once, nor OnStop.
void CheckTogether(const Step& group, Diagnostics& diagnostics) {
    for (const StepKind kind : {StepKind::kStart, StepKind::kStop}) {
        const auto count = std::count_if(group.steps.begin(), group.steps.end(),
                                         [&](const Step& step) { return step.kind == kind; });
        if (count > 1) {
            diagnostics.Add(group.path,
                            fmt::format("at most one \"{}\" may run in a \"together\" group",
                                        kind == StepKind::kStart ? "start" : "stop"));
        }
    }
    for (const Step& step : group.steps) {
        if (step.kind == StepKind::kTogether) {
            diagnostics.Add(step.path, "\"together\" groups do not nest");
        }
    }
    CheckSteps(group.steps, true, diagnostics);
}

void CheckSteps(const std::vector<Step>& steps, bool together, Diagnostics& diagnostics) {
    for (const Step& step : steps) {
        if (step.kind == StepKind::kTogether && !together) {
            CheckTogether(step, diagnostics);
        }
        if (step.kind == StepKind::kArrange && step.machine && step.machine->clockScale &&
            together) {
            diagnostics.Add(step.path,
                            "the clock's scale cannot change inside a \"together\" group");
        }
        if (step.client) {
            CheckThrows(*step.client, diagnostics);
        }
        for (const Expectation& expectation : step.expectations) {
            CheckExpectation(expectation, diagnostics);
        }
    }
}

}  // namespace

void ValidateScenario(const Scenario& scenario, Diagnostics& diagnostics) {
    CheckThrows(scenario.client, diagnostics);
    CheckSteps(scenario.timeline, false, diagnostics);
    for (const Expectation& expectation : scenario.expectations) {
        CheckExpectation(expectation, diagnostics);
    }
    if (scenario.timeline.empty()) {
        diagnostics.Add("$.timeline", "the timeline has no steps");
    }
}

}  // namespace orvhost
