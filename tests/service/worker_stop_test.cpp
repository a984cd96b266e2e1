// A stop at the stages of the worker's start-up where the shipped scenarios cannot look: the
// running mutex, the command processor's state, the threads left, a take-down run ahead.
//
// Stages that take no time of their own are reached through the log: a hook on the line the
// worker writes there sets the service's stop event, as a stop arriving at that moment would.

#include <gtest/gtest.h>

#include "service_fixture.h"
#include "sim/client/client_control.h"
#include "sim/common_base/common_base_control.h"
#include "winapi/control/machine_control.h"

namespace orvtest {
namespace {

constexpr wchar_t kRunningMutex[] = L"Global\\_OrvRunningMutex";

std::wstring Worker(std::wstring_view text) {
    return Line(scope::kWorker, text);
}

class WorkerStopTest : public ServiceScenario {};

TEST_F(WorkerStopTest, StopAsTheWorkerStartsLeavesNoThreadBehind) {
    // Whatever step the worker has reached when the stop comes, every thread it started is
    // joined before the service object goes. (A stop between the first probe and the watcher's
    // start is the narrow case; this run lands in it only now and then.)
    StartService();
    ASSERT_TRUE(WaitForMessage(Line(scope::kOnStart, L"Service started")));
    StopService();
    EXPECT_TRUE(Logged(Line(scope::kOnStop, L"Service stopped")));
    EXPECT_EQ(CountOf(Line(scope::kUnInit, L"Service stop event received")), 1);
}

// The cleanup's take-down can overtake the worker: what the worker starts after the take-down
// has passed it, the worker takes down itself, since nothing else would.
class TakeDownAheadTest : public WorkerStopTest {
  protected:
    void StopWhileTheWorkerIsHeldIn(const char* component, const char* operation) {
        orvsim::ArrangePause(component, operation, [] {
            EXPECT_TRUE(WaitForMessage(Line(scope::kUnInit, L"Cleanup garbage collector")));
        });
        StartService();
        ASSERT_TRUE(WaitForTraced(component, operation));
        StopService();

        EXPECT_FALSE(orvsim::Monitors().deviceContextMonitorRunning);
        EXPECT_FALSE(orvsim::CommandProcessor().initialized);
        EXPECT_FALSE(orvsim::CommandProcessor().overlapSeen);
        EXPECT_EQ(CountOf(Line(scope::kUnInit, L"Service stop event received")), 1);
        EXPECT_TRUE(Logged(Line(scope::kOnStop, L"Service stopped")));
    }
};

TEST_F(TakeDownAheadTest, TheWorkerStopsTheMonitorItStartsAfterIt) {
    std::optional<winsim::objects::MutexState> mutexAfterWorker;
    const OnLogLine cleanupEnds(Line(scope::kCleanup, L"Exit"), [&] {
        mutexAfterWorker = winsim::objects::GetMutexState(kRunningMutex);
    });
    StopWhileTheWorkerIsHeldIn("orv::AgentFactory", "SetDeviceRegistrationAgent");
    // The worker ended at its first probe, still owning the running mutex.
    ASSERT_TRUE(mutexAfterWorker.has_value());
    EXPECT_TRUE(mutexAfterWorker->abandoned);
    EXPECT_TRUE(LoggedInOrder({
        Line(scope::kUnInit, L"Cleanup garbage collector"),
        Worker(L"Initializing DeviceContext Event Monitor"),
        Worker(L"The take-down has already passed the monitor, stopping it"),
        Worker(L"ServiceStopInitiated and uninit completed - exiting worker thread"),
    }));
}

TEST_F(TakeDownAheadTest, TheWorkerUnInitialisesTheCommandProcessorItInitialisesAfterIt) {
    StopWhileTheWorkerIsHeldIn("AgentInitializer", "InitializeAllAgentsDone");
    EXPECT_TRUE(LoggedInOrder({
        Line(scope::kUnInit, L"Cleanup garbage collector"),
        Worker(L"Init completed for KESCommandProcessor"),
        Worker(L"The take-down has already passed KESCommandProcessor, calling its UnInit"),
    }));
    EXPECT_EQ(orvsim::TraceCount("KESCommandProcessor", "UnInit"), 1U);
}

TEST_F(WorkerStopTest, StopDuringFullInitialisationEndsItAndTakesDown) {
    ArrangeHangingStep(L"EventManager", &orvsim::AgentBehaviour::fullInit);
    StartService();
    ASSERT_TRUE(WaitForTraced("EventManager", "FullInit"));
    StopServiceInBackground();
    ASSERT_TRUE(WaitForMessage(Line(scope::kCleanup, L"calling uninit")));
    ASSERT_TRUE(
        AdvanceUntil([] { return orvsim::TraceCount("EventManager", "FullInitDone") > 0; }));
    WaitForBackgroundStop();

    EXPECT_EQ(ArgumentsOf("AgentInitializer", "FullInitializeAllAgentsDone").at(0), "true");
    EXPECT_EQ(orvsim::TraceCount("NotificationAgent", "FullInit"), 0U);
    EXPECT_TRUE(LoggedInOrder({
        Worker(L"FullInit event signaled"),
        Worker(L"Waiting on service stop event"),
        Worker(L"Calling UnInit"),
        Worker(L"Completed UnInit"),
        Worker(L"Exit"),
    }));
    EXPECT_EQ(CountOf(Line(scope::kUnInit, L"Service stop event received")), 1);
}

}  // namespace
}  // namespace orvtest
