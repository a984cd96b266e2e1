// Floods of random controls from several threads racing the service's stop: a plain stop, a
// pre-shutdown and then the stop, and a stop followed by a second start in the same process.
//
// Each run is a fresh process (the take-down is once per load) with its own seed, derived from
// the test's seed: the parent prints both, and one run can be repeated alone with
//   ORV_STRESS_CHILD=<child> ORV_STRESS_RUN_SEED=<seed> ./service_stress_tests
// ORV_STRESS_SEED changes the test's seed, ORV_STRESS_RUNS the number of runs and
// ORV_STRESS_CONTROLS the controls each flood thread sends.

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <random>
#include <thread>
#include <vector>

#include "child_run.h"
#include "control_flood.h"
#include "service/entry_points.h"
#include "service_fixture.h"
#include "shared/client_vocabulary.h"
#include "sim/client/client_control.h"
#include "sim/common_base/common_base_control.h"
#include "winapi/control/machine_control.h"

namespace orvstress {
namespace {

using namespace orvtest;

constexpr int kFloodThreads = 4;
constexpr std::chrono::milliseconds kChildTimeout{240000};

int ControlsPerThread() {
    return CountFromEnvironment("ORV_STRESS_CONTROLS", 400);
}

// How far the start has come when the flood begins.
enum class StartPhase { kJustCalled, kStarted, kFullyInitialized };

constexpr const char* kPhaseNames[] = {"just-called", "started", "fully-initialized"};

// One service's life under a flood, drawn from the run's generator.
struct LifePlan {
    StartPhase phase = StartPhase::kFullyInitialized;
    int stopAfter = 0;  // controls sent before the stop is called
    bool preShutdown = false;
    int preShutdownAfter = 0;         // controls sent before the pre-shutdown
    bool waitForPreShutdown = false;  // the stop waits until the pre-shutdown's cleanup ended
    int preShutdownWeight = 0;        // per thousand flood controls
};

LifePlan DrawPlan(std::mt19937_64& random, bool preShutdown) {
    const int total = kFloodThreads * ControlsPerThread();
    LifePlan plan;
    plan.phase = static_cast<StartPhase>(std::uniform_int_distribution<int>(0, 2)(random));
    plan.stopAfter = std::uniform_int_distribution<int>(total / 8, total * 7 / 8)(random);
    plan.preShutdown = preShutdown;
    if (preShutdown) {
        plan.preShutdownAfter = std::uniform_int_distribution<int>(0, plan.stopAfter)(random);
        // Before the service object exists a control finds nothing to act on, so only a
        // pre-shutdown sent later can be waited for.
        plan.waitForPreShutdown = plan.phase != StartPhase::kJustCalled &&
                                  std::uniform_int_distribution<int>(0, 1)(random) == 1;
        // A few more pre-shutdowns among the flood's controls, racing the first.
        plan.preShutdownWeight = 5;
    }
    return plan;
}

// Several threads sending random controls, each from a generator of its own: at least
// ControlsPerThread() each, and on while the stop runs (up to eight times as many), and a few
// more once it has returned, which find no service.
class Flood {
  public:
    Flood(std::uint64_t seed, const LifePlan& plan) {
        for (int i = 0; i < kFloodThreads; ++i) {
            threads_.emplace_back([this, seed, i, weight = plan.preShutdownWeight] {
                std::seed_seq sequence{seed, static_cast<std::uint64_t>(i)};
                std::mt19937_64 seeder(sequence);
                ControlFlood flood(seeder(), weight, sent_);
                const int least = ControlsPerThread();
                for (int sent = 0; sent < least || (!stopReturned_ && sent < 8 * least); ++sent) {
                    flood.SendOne();
                }
                if (stopReturned_) {
                    for (int sent = 0; sent < kAfterStop; ++sent) {
                        flood.SendOne();
                    }
                }
            });
        }
    }
    ~Flood() { StopReturnedAndJoin(); }

    void WaitUntilSent(int count) {
        while (sent_ < std::min(count, kFloodThreads * ControlsPerThread())) {
            std::this_thread::yield();
        }
    }

    void StopReturnedAndJoin() {
        stopReturned_ = true;
        threads_.clear();  // each joins as it goes
    }

    int Sent() const { return sent_; }

  private:
    static constexpr int kAfterStop = 16;

    std::atomic<int> sent_{0};
    std::atomic<bool> stopReturned_{false};
    std::vector<std::jthread> threads_;
};

std::uint64_t LastTraceSequence() {
    const std::vector<orvsim::TraceEntry> trace = orvsim::TraceSnapshot();
    return trace.empty() ? 0 : trace.back().sequence;
}

class FloodRun : public ServiceScenario {
  protected:
    // Starts a service, floods it, stops it as `plan` says, and judges what it did.
    // `firstInProcess`: whether this service's take-down is the load's first.
    void LiveOneLife(std::uint64_t seed, const LifePlan& plan, bool firstInProcess) {
        const auto began = std::chrono::steady_clock::now();
        StartService();
        if (plan.phase == StartPhase::kStarted) {
            ASSERT_TRUE(
                WaitForMessage(Line(scope::kOnStart, L"Setting an event for service start")));
        } else if (plan.phase == StartPhase::kFullyInitialized) {
            ASSERT_TRUE(Host().WaitForFullInit(kEventually));
        }

        Flood flood(seed, plan);
        if (plan.preShutdown) {
            flood.WaitUntilSent(plan.preShutdownAfter);
            EXPECT_EQ(OnServiceControlHandle(SERVICE_CONTROL_PRESHUTDOWN, 0, nullptr, nullptr), 0U);
            if (plan.waitForPreShutdown) {
                ASSERT_TRUE(WaitForMessage(Line(scope::kCleanup, L"Exit")));
            }
        }
        flood.WaitUntilSent(plan.stopAfter);
        StopService();
        // Whatever the service does from here on outlived its stop.
        const std::uint64_t logAfterStop = LogMark();
        const std::uint64_t traceAfterStop = LastTraceSequence();
        const int sentBeforeStopReturned = flood.Sent();
        flood.StopReturnedAndJoin();
        ASSERT_TRUE(winsim::WaitForIdleThreadPools(kEventually)) << "controls still queued";

        ExpectNothingSince(logAfterStop, traceAfterStop, "after OnStop returned");
        JudgeStop(plan, firstInProcess);
        ExpectNoServiceLeft();

        const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - began);
        std::cout << "stress: life seed=" << seed
                  << " phase=" << kPhaseNames[static_cast<int>(plan.phase)]
                  << " stopAfter=" << plan.stopAfter << " preShutdownAfter="
                  << (plan.preShutdown ? std::to_string(plan.preShutdownAfter) : "-")
                  << (plan.waitForPreShutdown ? " (waited)" : "")
                  << " sentBeforeStopReturned=" << sentBeforeStopReturned
                  << " forwarded=" << orvsim::ForwardedControls().size()
                  << " tookMs=" << took.count() << "\n";
    }

    static void JudgeStop(const LifePlan& plan, bool firstInProcess) {
        ExpectStoppedOnce();
        EXPECT_TRUE(MessagesStartingWith(Line(scope::kControl, L"control ")).empty())
            << "a control was dropped";
        EXPECT_FALSE(Logged(std::wstring(scope::kControl) + L" failed with exception"));

        const int byOnStop = CountOf(Line(scope::kOnStop, L"Starting cleanup from OnStop"));
        const int byPreShutdown =
            CountOf(Line(scope::kControl, L"Starting cleanup from PRESHUTDOWN"));
        EXPECT_EQ(byOnStop + byPreShutdown, 1);
        if (!plan.preShutdown) {
            EXPECT_EQ(byOnStop, 1);
        }
        if (plan.waitForPreShutdown) {
            EXPECT_EQ(byPreShutdown, 1);
        }
        if (byPreShutdown == 1) {
            EXPECT_TRUE(LoggedInOrder(
                {Line(scope::kOnStop, L"Cleanup already started, waiting for completion"),
                 Line(scope::kOnStop, L"Cleanup completion confirmed"),
                 Line(scope::kOnStop, L"Service stopped")}));
        }
        // Every pre-shutdown that reached the service reported it stopped, and nothing else
        // reported a state.
        const std::vector<winsim::services::StatusReport> reports =
            winsim::services::StatusReports();
        EXPECT_EQ(static_cast<int>(reports.size()),
                  CountOf(Line(scope::kControl, L"System pre-shutDown Exit")));
        for (const winsim::services::StatusReport& report : reports) {
            EXPECT_EQ(report.status.dwCurrentState, static_cast<DWORD>(SERVICE_STOPPED));
        }

        if (firstInProcess) {
            ExpectFirstTakeDown();
            return;
        }
        // A second service in the load takes nothing down but shuts the event monitor down.
        EXPECT_EQ(CountOf(Line(scope::kUnInit, L"Service stop event received")), 0);
        EXPECT_GE(CountOf(Line(scope::kUnInit, L"uninit already triggered")), 1);
        EXPECT_FALSE(orvsim::Monitors().clientEventMonitorRunning);
    }

    // A control after the stop finds no service: nothing is logged, reported or called.
    static void ExpectNoServiceLeft() {
        const std::uint64_t logMark = LogMark();
        const std::uint64_t traceMark = LastTraceSequence();
        const std::size_t reports = winsim::services::StatusReports().size();
        OnServiceControlHandle(SERVICE_CONTROL_PRESHUTDOWN, 0, nullptr, nullptr);
        OnServiceControlHandle(orv::control_codes::kMaintenance, 0, nullptr, nullptr);
        ASSERT_TRUE(winsim::WaitForIdleThreadPools(kEventually));
        ExpectNothingSince(logMark, traceMark, "for controls after the stop");
        EXPECT_EQ(winsim::services::StatusReports().size(), reports);
    }

    static void ExpectNothingSince(std::uint64_t logMark, std::uint64_t traceMark,
                                   const char* when) {
        const std::vector<std::wstring> lines = MessagesSince(logMark);
        EXPECT_TRUE(lines.empty()) << lines.size() << " lines " << when
                                   << ", first: " << ::testing::PrintToString(lines.front());
        std::vector<std::string> calls;
        for (const orvsim::TraceEntry& entry : orvsim::TraceSnapshot()) {
            if (entry.sequence > traceMark) {
                calls.push_back(orvsim::FormatTraceEntry(entry));
            }
        }
        EXPECT_TRUE(calls.empty())
            << calls.size() << " calls " << when << ", first: " << calls.front();
    }
};

// The flood runs: each a process of its own, living one service's life or, for the restart,
// two in a row.
struct FloodChild {
    const char* name;
    bool preShutdown;
    int lives;
    std::uint64_t defaultSeed;
};

constexpr FloodChild kStop{"FloodThenStop", false, 1, 20261206};
constexpr FloodChild kPreShutdownAndStop{"FloodThenPreShutdownAndStop", true, 1, 20261207};
constexpr FloodChild kRestart{"FloodThenRestart", false, 2, 20261208};

class FloodLives : public FloodRun {
  public:
    explicit FloodLives(const FloodChild& child) : child_(child) {}

  private:
    void TestBody() override {
        std::mt19937_64 random(
            std::strtoull(ChildParameter("ORV_STRESS_RUN_SEED").c_str(), nullptr, 0));
        for (int life = 0; life < child_.lives && !HasFatalFailure(); ++life) {
            if (life > 0) {
                orvsim::ClearLogRecords();
                orvsim::ClearTrace();
                winsim::services::ClearStatusReports();
                ReplaceHost();
            }
            const std::uint64_t floodSeed = random();
            LiveOneLife(floodSeed, DrawPlan(random, child_.preShutdown), life == 0);
        }
    }

    const FloodChild& child_;
};
const ChildRegistration kRegistrations[] = {
    {kStop.name, [] { return new FloodLives(kStop); }},
    {kPreShutdownAndStop.name, [] { return new FloodLives(kPreShutdownAndStop); }},
    {kRestart.name, [] { return new FloodLives(kRestart); }},
};

// Runs `child` ORV_STRESS_RUNS times, each with its own seed, and fails on the first run that
// fails.
void RunFloods(const FloodChild& child) {
    const ::testing::TestInfo& info = *::testing::UnitTest::GetInstance()->current_test_info();
    const std::string test = std::string(info.test_suite_name()) + "." + info.name();
    const std::uint64_t seed = SeedFor(test.c_str(), child.defaultSeed);
    const int runs = CountFromEnvironment("ORV_STRESS_RUNS", 4);
    std::cout << test << ": " << runs << " runs, " << kFloodThreads << " threads x "
              << ControlsPerThread() << " controls each\n";
    for (int run = 0; run < runs; ++run) {
        const std::string runSeed = std::to_string(seed + static_cast<std::uint64_t>(run));
        const ChildResult result =
            RunChild(child.name, {{"ORV_STRESS_RUN_SEED", runSeed}}, kChildTimeout);
        std::cout << "run " << run << " (ORV_STRESS_CHILD=" << child.name
                  << " ORV_STRESS_RUN_SEED=" << runSeed << "): " << result.Status() << " in "
                  << result.took.count() << " ms\n";
        const std::vector<std::string> lives = LinesStartingWith(result.output, "stress: life ");
        for (const std::string& line : lives) {
            std::cout << "  " << line << "\n";
        }
        ASSERT_TRUE(result.Passed()) << result.output;
        // A child that ran nothing would pass too; each life it got through prints a line.
        ASSERT_EQ(lives.size(), static_cast<std::size_t>(child.lives)) << result.output;
    }
}

TEST(ControlFloodTest, StopRacesAFloodOfControls) {
    RunFloods(kStop);
}

TEST(ControlFloodTest, PreShutdownAndStopRaceAFloodOfControls) {
    RunFloods(kPreShutdownAndStop);
}

TEST(ControlFloodTest, RestartInOneProcessUnderAFloodOfControls) {
    RunFloods(kRestart);
}

}  // namespace
}  // namespace orvstress
