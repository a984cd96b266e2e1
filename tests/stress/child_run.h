#pragma once
// Runs of this test program in processes of their own.
//
// The library takes the agents down once per load, so a race that is to end in a real
// take-down needs a fresh process each time. A parent test starts this same program again with
// ORV_STRESS_CHILD naming a registered child run; that process runs only the child, as a
// GoogleTest test, and its exit status carries every failed expectation and every sanitizer
// report back to the parent.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace orvstress {

// The environment variable that makes a process run one child instead of the tests.
inline constexpr char kChildVariable[] = "ORV_STRESS_CHILD";

// Makes the child run `name` available; `make` creates its test object.
class ChildRegistration {
  public:
    ChildRegistration(const char* name, std::function<::testing::Test*()> make);
};

// Called by main before RUN_ALL_TESTS: in a child process, registers the child run that
// ORV_STRESS_CHILD names and makes it the only test to run. False (after saying why) when the
// name is unknown.
bool SelectChildRun();

struct ChildResult {
    int exitCode = -1;  // the status the child exited with; -1 when it did not exit
    int signal = 0;     // the signal that ended it, if one did
    bool timedOut = false;
    std::string output;  // its standard output and error, interleaved
    std::chrono::milliseconds took{0};

    bool Passed() const { return exitCode == 0 && signal == 0 && !timedOut; }
    // "exit 0", "exit 66", "signal 6", "timed out".
    std::string Status() const;
};

// Runs the child `name`, or the program `arguments[0]` with the rest as its arguments, with
// `environment` added to this process's own, and waits for it, killing it after `realTimeout`.
ChildResult RunChild(const std::string& name, const std::map<std::string, std::string>& environment,
                     std::chrono::milliseconds realTimeout);
ChildResult RunProgram(const std::vector<std::string>& arguments,
                       const std::map<std::string, std::string>& environment,
                       std::chrono::milliseconds realTimeout);

// Lines of `output` that begin with `prefix`, in order.
std::vector<std::string> LinesStartingWith(const std::string& output, const std::string& prefix);
// The seed of a test's random generator: ORV_STRESS_SEED when set, otherwise `fallback`.
// Printed, so that a failing run can be repeated.
std::uint64_t SeedFor(const char* test, std::uint64_t fallback);
// A positive count from the environment variable `variable`, or `fallback`.
int CountFromEnvironment(const char* variable, int fallback);
// The number of threads this process has now (/proc/self/status).
int ProcessThreads();
// The value of an environment variable of the child; fails the test when it is missing.
std::string ChildParameter(const char* variable);

// What a stop must have done (take_down.cpp), judged once it has returned: OnStop ran once, its
// lines in order, and returned only after the one cleanup had ended, whoever ran it.
void ExpectStoppedOnce();
// For the first service of a process: every agent that got through Init was taken down once,
// the client's event monitor, the device-context monitor and the command processor are down,
// and the command processor's Init and UnInit never overlapped.
void ExpectFirstTakeDown();

}  // namespace orvstress
