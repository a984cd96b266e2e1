// A stop at every stage of start-up: one normal start is traced, and then, for every distinct
// call into a sibling library that its start thread or worker made, a fresh process starts the
// service again, holds the thread in that call, and stops the service meanwhile.
//
// One stage can be repeated alone with
//   ORV_STRESS_CHILD=StopAtStage ORV_STRESS_STAGE=<Component::operation> ./service_stress_tests

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <iostream>
#include <map>
#include <set>
#include <thread>

#include "child_run.h"
#include "service_fixture.h"
#include "sim/client/client_control.h"
#include "sim/common_base/common_base_control.h"
#include "winapi/control/machine_control.h"

namespace orvstress {
namespace {

using namespace orvtest;

constexpr std::chrono::milliseconds kChildTimeout{120000};
// How long a held call waits for the stop to reach the stop event. The host does not stop a
// service object that OnStart has not yet created, so a call made before that is let go.
constexpr std::chrono::milliseconds kHold{3000};

// The lines with which the worker can end.
constexpr const wchar_t* kWorkerEnds[] = {
    L"Exit",
    L"ServiceStopInitiated and uninit completed - exiting worker thread",
    L"UnInit completed - exiting worker thread",
    L"ServiceStopInitiated before fullinit started. Uninit completed - exiting worker thread",
};

std::string CallName(const orvsim::TraceEntry& entry) {
    return entry.component + "::" + entry.operation;
}

class StopAtStage : public ServiceScenario {
    void TestBody() override {
        const std::string stage = ChildParameter("ORV_STRESS_STAGE");
        const std::size_t split = stage.rfind("::");
        ASSERT_NE(split, std::string::npos) << stage;
        const std::string component = stage.substr(0, split);
        const std::string operation = stage.substr(split + 2);

        // ThreadSanitizer starts a thread of its own with the process's first thread; one
        // thread started and joined first puts it into the count from before the start.
        std::thread([] {}).join();
        const int threadsBefore = ProcessThreads();
        std::promise<std::uint32_t> paused;
        std::atomic<bool> stopSeenWhileHeld{false};
        orvsim::ArrangePause(component, operation, [&] {
            paused.set_value(static_cast<std::uint32_t>(GetCurrentThreadId()));
            // The bus's stop request follows the stop event at once: from here on the service
            // is stopping, and the held call goes on into that.
            stopSeenWhileHeld = WaitForTraced("ORVPublisherSubscriber", "SetStopRequest", kHold);
        });
        StartService();
        std::future<std::uint32_t> pausedThread = paused.get_future();
        ASSERT_EQ(pausedThread.wait_for(kEventually), std::future_status::ready)
            << "the start never called " << stage;
        StopService();

        const std::vector<orvhost::EntryCall> calls = Host().EntryCalls();
        for (const orvhost::EntryCall& call : calls) {
            EXPECT_FALSE(call.escaped.has_value()) << call.entry << ": " << *call.escaped;
        }
        const std::uint32_t held = pausedThread.get();
        const std::uint32_t startThread = calls.at(0).threadId;
        const std::uint32_t worker = ThreadOf(Line(scope::kWorker, L"Start"));
        const char* where = held == startThread ? "start" : held == worker ? "worker" : "other";

        // Stopped, once, with the agents taken down.
        ExpectStoppedOnce();
        ExpectFirstTakeDown();
        if (worker != 0) {
            int ends = 0;
            for (const wchar_t* end : kWorkerEnds) {
                ends += CountOf(Line(scope::kWorker, end));
            }
            EXPECT_EQ(ends, 1) << "the worker did not end, or ended twice";
        }
        // Every thread the service started has ended: the start thread and the worker were
        // joined, the agents' take-down threads too.
        EXPECT_TRUE(WaitUntil([&] { return ProcessThreads() <= threadsBefore; }))
            << ProcessThreads() << " threads, " << threadsBefore << " before the start";

        std::cout << "stress: stage " << stage << " thread=" << where
                  << " stopWhileHeld=" << (stopSeenWhileHeld ? "yes" : "no")
                  << " workerStarted=" << (worker != 0 ? "yes" : "no") << " fullyInitialised="
                  << (Logged(Line(scope::kWorker, L"FullInit event signaled")) ? "yes" : "no")
                  << "\n";
    }
};
const ChildRegistration kStopAtStage("StopAtStage", [] { return new StopAtStage; });

class StopAtEveryStageTest : public ServiceScenario {};

TEST_F(StopAtEveryStageTest, AStopAtAnyStartUpCallEndsInAStoppedService) {
    StartUntilFullyInitialized();
    const std::uint32_t startThread = Host().EntryCalls().at(0).threadId;
    const std::uint32_t worker = ThreadOf(Line(scope::kWorker, L"Start"));
    std::vector<std::string> stages;
    std::set<std::string> seen;
    std::size_t calls = 0;
    for (const orvsim::TraceEntry& entry : orvsim::TraceSnapshot()) {
        if (entry.threadId != startThread && entry.threadId != worker) {
            continue;
        }
        ++calls;
        if (seen.insert(CallName(entry)).second) {
            stages.push_back(CallName(entry));
        }
    }
    StopService();
    std::cout << "a normal start made " << calls << " traced calls on its start thread and "
              << "worker, " << stages.size() << " distinct\n";
    ASSERT_GT(stages.size(), 50U) << "the start path is shorter than it should be";

    std::map<std::string, int> byThread;
    int heldUntilStop = 0;
    // Two runs at a time: each spends most of its time waiting on its own machine's clock.
    std::vector<ChildResult> results(stages.size());
    std::atomic<std::size_t> next{0};
    const auto runStages = [&] {
        for (std::size_t i = next++; i < stages.size(); i = next++) {
            results[i] = RunChild("StopAtStage", {{"ORV_STRESS_STAGE", stages[i]}}, kChildTimeout);
        }
    };
    std::thread helper(runStages);
    runStages();
    helper.join();

    for (std::size_t i = 0; i < stages.size(); ++i) {
        const std::string& stage = stages[i];
        const ChildResult& result = results[i];
        const std::vector<std::string> lines = LinesStartingWith(result.output, "stress: stage ");
        std::cout << (lines.empty() ? "stress: stage " + stage : lines.front()) << " "
                  << result.Status() << " " << result.took.count() << " ms\n";
        ASSERT_TRUE(result.Passed()) << "stop at " << stage << ":\n" << result.output;
        ASSERT_EQ(lines.size(), 1U) << result.output;
        for (const char* where : {"start", "worker", "other"}) {
            if (lines.front().find(std::string("thread=") + where) != std::string::npos) {
                ++byThread[where];
            }
        }
        if (lines.front().find("stopWhileHeld=yes") != std::string::npos) {
            ++heldUntilStop;
        }
    }
    std::cout << "stopped at " << stages.size() << " stages: " << byThread["start"]
              << " on the start thread, " << byThread["worker"] << " on the worker, "
              << byThread["other"] << " elsewhere; the stop reached the stop event while "
              << heldUntilStop << " of them were held\n";
    RecordProperty("stages", static_cast<int>(stages.size()));
}

}  // namespace
}  // namespace orvstress
