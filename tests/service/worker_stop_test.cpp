// A stop at each stage of the worker's start-up: where it is noticed and what runs before the
// worker ends.
//
// Stages that take no time of their own are reached through the log: a hook on the line the
// worker writes there sets the service's stop event, as a stop arriving at that moment would.

#include <gtest/gtest.h>

#include "service_fixture.h"
#include "sim/client/control.h"
#include "sim/common_base/control.h"
#include "winapi/sim/control.h"

namespace orvtest {
namespace {

constexpr wchar_t kRunningMutex[] = L"Global\\_OrvRunningMutex";

std::wstring Worker(std::wstring_view text) {
    return Line(scope::kWorker, text);
}

void SetStopEvent() {
    SetEvent(ServiceStopEvent());
}

class WorkerStopTest : public ServiceScenario {};

TEST_F(WorkerStopTest, StopBeforeTheSecondAgentGroupEndsTheWorkerAtTheFirstProbe) {
    const OnLogLine stopArrives(Worker(L"Initializing DeviceContext Event Monitor"), SetStopEvent);
    std::optional<winsim::objects::MutexState> mutexAfterWorker;
    const OnLogLine cleanupEnds(Line(scope::kCleanup, L"Exit"), [&] {
        mutexAfterWorker = winsim::objects::GetMutexState(kRunningMutex);
    });
    StartService();
    ASSERT_TRUE(WaitForMessage(
        Worker(L"ServiceStopInitiated and uninit completed - exiting worker thread")));
    StopService();

    EXPECT_TRUE(LoggedInOrder({
        Line(scope::kStopProbe, L"Calling Uninit"),
        Line(scope::kUnInit, L"Service stop event received"),
        Line(scope::kUnInit, L"Stopping Global Context Event Monitor"),
        Line(scope::kUnInit, L"Cleanup garbage collector"),
        Line(scope::kStopProbe, L"Completed Uninit"),
        Worker(L"ServiceStopInitiated and uninit completed - exiting worker thread"),
    }));
    // No second agent group, an empty roster, no command processor yet.
    EXPECT_EQ(orvsim::TraceCount("EventManager", "GetInstance"), 0U);
    EXPECT_TRUE(MessagesStartingWith(Line(scope::kUnInit, L"UnInit called for")).empty());
    EXPECT_FALSE(Logged(Worker(L"Initializing agents")));
    EXPECT_FALSE(Logged(Worker(L"Exit")));
    // The worker ended still owning the running mutex.
    ASSERT_TRUE(mutexAfterWorker.has_value());
    EXPECT_TRUE(mutexAfterWorker->abandoned);
    EXPECT_TRUE(Logged(Line(scope::kUnInit, L"uninit already triggered")));
}

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

TEST_F(WorkerStopTest, StopDuringAgentInitialisationStillInitialisesTheCommandProcessor) {
    ArrangeHangingStep(L"MDMAgent", &orvsim::AgentBehaviour::init);
    // The cleanup's take-down waits until the worker has initialised the command processor,
    // so that it takes the processor down rather than racing its Init.
    orvsim::ArrangePause("ORVPublisherSubscriber", "Cleanup", [] {
        EXPECT_TRUE(WaitForMessage(Worker(L"Init completed for KESCommandProcessor")));
    });
    StartService();
    ASSERT_TRUE(WaitForTraced("MDMAgent", "Init"));
    StopServiceInBackground();
    ASSERT_TRUE(WaitForTraced("ORVPublisherSubscriber", "Cleanup"));
    ASSERT_TRUE(AdvanceUntil([] { return orvsim::TraceCount("MDMAgent", "InitDone") > 0; }));
    WaitForBackgroundStop();

    EXPECT_EQ(ArgumentsOf("AgentInitializer", "InitializeAllAgentsDone").at(0), "true");
    EXPECT_TRUE(LoggedInOrder({
        Worker(L"Init called for KESCommandProcessor"),
        Worker(L"Init completed for KESCommandProcessor"),
        Worker(L"Service stop initiated during initializing agents , so calling UnInit"),
        Worker(L"UnInit completed - exiting worker thread"),
    }));
    EXPECT_FALSE(orvsim::CommandProcessor().overlapSeen);
    EXPECT_FALSE(orvsim::CommandProcessor().initialized);
    EXPECT_EQ(orvsim::TraceCount("AgentInitializer", "FullInitializeAllAgents"), 0U);
    EXPECT_FALSE(Logged(Worker(L"Logging device context")));
    EXPECT_FALSE(Logged(Worker(L"Exit")));
    // Only the agents that got through Init are taken down.
    for (const wchar_t* agent :
         {L"MDMAgent", L"CoreAdapterAgent", L"ConfigPolicyAgent", L"DownloadAgent"}) {
        EXPECT_TRUE(Logged(Line(scope::kUnInit, std::wstring(L"UnInit called for ") + agent)))
            << agent;
    }
    EXPECT_FALSE(Logged(Line(scope::kUnInit, L"UnInit called for DeviceRegistrationAgent")));
    EXPECT_FALSE(Logged(Line(scope::kUnInit, L"UnInit called for EventManager")));
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
    StopWhileTheWorkerIsHeldIn("orv::AgentFactory", "SetDeviceRegistrationAgent");
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

TEST_F(WorkerStopTest, StopDuringRegistrationIsSeenBeforeTheFullInitWait) {
    orvsim::ArrangeRegistrationDuration(1h);
    StartService();
    ASSERT_TRUE(WaitForTraced("DeviceRegistrationAgent", "RegisterDevice"));
    StopServiceInBackground();
    ASSERT_TRUE(WaitForMessage(Line(scope::kCleanup, L"completed uninit")));
    ASSERT_TRUE(AdvanceUntil(
        [] { return orvsim::TraceCount("DeviceRegistrationAgent", "RegisterDeviceDone") > 0; }));
    WaitForBackgroundStop();

    EXPECT_TRUE(LoggedInOrder({
        Worker(L"Registration successful"),
        Worker(L"Waiting for agents to fully initialize"),
        Line(scope::kStopProbe, L"Calling Uninit"),
        Line(scope::kUnInit, L"uninit already triggered"),
        Line(scope::kStopProbe, L"Completed Uninit"),
        Worker(L"ServiceStopInitiated before fullinit started. Uninit completed - exiting worker "
               L"thread"),
    }));
    EXPECT_FALSE(Logged(Worker(L"Waiting for FullInit event")));
    EXPECT_FALSE(Logged(Worker(L"Exit")));
    EXPECT_EQ(CountOf(Line(scope::kUnInit, L"Service stop event received")), 1);
    // Twelve agents and the command processor.
    EXPECT_EQ(MessagesStartingWith(Line(scope::kUnInit, L"UnInit called for")).size(), 13U);
}

TEST_F(WorkerStopTest, StopWhileWaitingForFullInitTakesDownWithoutFullInitialisation) {
    orvsim::ArrangeFullInitSignal({.enabled = false});
    StartService();
    ASSERT_TRUE(WaitForMessage(Worker(L"Waiting for FullInit event")));
    StopService();

    EXPECT_TRUE(LoggedInOrder({
        Worker(L"Service stop event signaled"),
        Worker(L"Calling UnInit"),
        Worker(L"Completed UnInit"),
        Worker(L"Completed UnInit for StatusMgr and ApplicabilityEvaluator"),
        Worker(L"Exit"),
    }));
    EXPECT_FALSE(Logged(Worker(L"Waiting on service stop event")));
    EXPECT_EQ(orvsim::TraceCount("AgentInitializer", "FullInitializeAllAgents"), 0U);
    EXPECT_EQ(orvsim::TraceCount("ORV::OrvStatusManager", "Uninit"), 1U);
    EXPECT_EQ(orvsim::TraceCount("ApplicabilityEvaluator", "Uninit"), 1U);
    // The agents were never fully initialised, so the cleanup ran UnInit too; one did the work.
    EXPECT_TRUE(Logged(Line(scope::kCleanup, L"calling uninit")));
    EXPECT_EQ(CountOf(Line(scope::kUnInit, L"Service stop event received")), 1);
    EXPECT_EQ(CountOf(Line(scope::kUnInit, L"uninit already triggered")), 1);
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

TEST_F(WorkerStopTest, FullInitAndStopSignalledTogetherCountAsAStop) {
    // The full-init signal comes during a long registration; the stop comes as the worker
    // begins to wait, so both are signalled when the wait starts.
    orvsim::ArrangeRegistrationDuration(1h);
    StartService();
    ASSERT_TRUE(WaitForMessage(std::wstring(scope::kNotification) + L":Signal full init event"));
    const OnLogLine stopArrives(Worker(L"Waiting for FullInit event"), SetStopEvent);
    ASSERT_TRUE(AdvanceUntil(
        [] { return orvsim::TraceCount("DeviceRegistrationAgent", "RegisterDeviceDone") > 0; }));
    ASSERT_TRUE(WaitForMessage(Worker(L"Exit")));
    StopService();

    ASSERT_TRUE(stopArrives.Fired());
    EXPECT_TRUE(Logged(Worker(L"Service stop event signaled")));
    EXPECT_FALSE(Logged(Worker(L"FullInit event signaled")));
    EXPECT_EQ(orvsim::TraceCount("AgentInitializer", "FullInitializeAllAgents"), 0U);
}

}  // namespace
}  // namespace orvtest
