#include "host/scenario/scenario_validator.h"

#include <fmt/format.h>

#include <algorithm>
#include <cstdint>

namespace orvhost {

namespace {

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

// How far a timeline may move the machine's wall clock from where the run starts, either way:
// well inside the years the clock holds (1800 to 2261) for a long time to come.
constexpr std::int64_t kMaxWallDriftYears = 100;
constexpr std::int64_t kMaxWallDriftMs = kMaxWallDriftYears * 36525 / 100 * 24 * 3600 * 1000;

void CheckWallClock(const std::vector<Step>& steps, Diagnostics& diagnostics) {
    std::int64_t moved = 0;
    for (const Step& step : steps) {
        std::int64_t forward = 0;
        std::int64_t back = 0;
        validate::WallMoves(step, forward, back);
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
    validate::Client(scenario.client, diagnostics);
    validate::Steps(scenario.timeline, false, diagnostics);
    CheckWallClock(scenario.timeline, diagnostics);
    for (const Expectation& expectation : scenario.expectations) {
        validate::One(expectation, diagnostics);
    }
    if (scenario.timeline.empty()) {
        diagnostics.Add("$.timeline", "the timeline has no steps");
    }
}

namespace validate {

void Steps(const std::vector<Step>& steps, bool inGroup, Diagnostics& diagnostics) {
    for (const Step& step : steps) {
        std::visit(
            [&](const auto& kind) {
                if constexpr (requires { kind.Validate(step, inGroup, diagnostics); }) {
                    kind.Validate(step, inGroup, diagnostics);
                }
            },
            step.action);
    }
}

void One(const Expectation& expectation, Diagnostics& diagnostics) {
    std::visit(
        [&](const auto& kind) {
            if constexpr (requires { kind.Validate(expectation, diagnostics); }) {
                kind.Validate(expectation, diagnostics);
            }
        },
        expectation.what);
}

void Client(const ClientArrangement& client, Diagnostics& diagnostics) {
    CheckThrows(client, diagnostics);
    CheckDelays(client, diagnostics);
}

void WallMoves(const Step& step, std::int64_t& forward, std::int64_t& back) {
    forward += step.delayMs;
    std::visit(
        [&](const auto& kind) {
            if constexpr (requires { kind.MoveWall(forward, back); }) {
                kind.MoveWall(forward, back);
            }
        },
        step.action);
}

}  // namespace validate

}  // namespace orvhost
