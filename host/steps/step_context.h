#pragma once
// What a step's action may use of the run that carries it out: the service host, waits for
// evidence, checks, sub-steps run together, and the start/stop handshake of a group. The step
// runner gives each step one while it acts; a step is done with it when Act returns.
//
// Threads: the steps of a "together" group act at the same time, each with its own context.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvhost {

class ServiceHost;
struct Condition;
struct Expectation;
struct Step;

class StepContext {
  public:
    virtual ~StepContext() = default;

    virtual ServiceHost& Host() = 0;
    // The step's time-out, in real time: its own or the scenario's.
    virtual std::int64_t TimeoutMs() const = 0;
    // Says why the step failed; Act returns false after it.
    virtual void Fail(std::string detail) = 0;

    // Waits (up to the time-out) for evidence, counted from when the step began; false, with
    // the reason given to Fail, when it did not come.
    virtual bool WaitFor(const Condition& condition) = 0;
    // Judges the expectations against the evidence now and records the results; false when
    // one was not met.
    virtual bool CheckNow(const std::vector<Expectation>& expectations) = 0;
    // Runs the steps at the same time, each on a thread of its own; true when all succeeded.
    virtual bool RunTogether(const std::vector<Step>& steps) = 0;

    // A start inside a group tells the group that it has called OnStart.
    virtual void StartCalled() = 0;
    // A stop waits (up to the time-out) for its group's starts to call OnStart, as a host
    // stops only what it started; false, with the reason given to Fail, when one never did.
    virtual bool AwaitGroupStarts() = 0;
};

}  // namespace orvhost
