// The stop where the shipped scenarios cannot look: a slow and a failing agent's take-down met
// by a pre-shutdown, events during the stop, restarts, and entry points without a service.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "service/entry_points.h"
#include "service_fixture.h"
#include "sim/client/client_control.h"
#include "sim/common_base/common_base_control.h"
#include "winapi/control/machine_control.h"

namespace orvtest {
namespace {

std::wstring UnInitLine(std::wstring_view text) {
    return Line(scope::kUnInit, text);
}

std::wstring CalledFor(std::wstring_view agent) {
    return UnInitLine(L"UnInit called for " + std::wstring(agent));
}

class StopTest : public ServiceScenario {};

TEST_F(StopTest, SlowAndFailingAgentsHoldOnlyThemselvesAndAPreShutdownSkipsTheRunningCleanup) {
    ArrangeHangingStep(L"DeployAgent", &orvsim::AgentBehaviour::unInit);
    orvsim::AgentBehaviour nameThrows;
    nameThrows.nameThrows = true;
    orvsim::ArrangeAgent(L"ClientBrokerManager", nameThrows);
    StartUntilFullyInitialized();
    StopServiceInBackground();

    // The command processor and the monitor go down while the deploy agent still runs.
    ASSERT_TRUE(WaitForTraced("DeviceContextEventMonitor", "Stop"));
    EXPECT_EQ(orvsim::TraceCount("KESCommandProcessor", "UnInit"), 1U);
    EXPECT_EQ(orvsim::TraceCount("DeployAgent", "UnInitDone"), 0U);
    EXPECT_FALSE(Logged(UnInitLine(L"Cleanup garbage collector")));

    // A pre-shutdown after OnStop closed the pool is still handled, at once, and skips the
    // running cleanup.
    winsim::services::ClearStatusReports();
    EXPECT_EQ(OnServiceControlHandle(SERVICE_CONTROL_PRESHUTDOWN, 0, nullptr, nullptr), 0U);
    ASSERT_TRUE(WaitForMessage(Line(scope::kControl, L"System pre-shutDown Exit")));
    EXPECT_TRUE(Logged(Line(scope::kControl, L"Cleanup already started, skipping")));
    ASSERT_EQ(winsim::services::StatusReports().size(), 1U);
    EXPECT_EQ(winsim::services::StatusReports()[0].status.dwCurrentState,
              static_cast<DWORD>(SERVICE_STOPPED));
    EXPECT_FALSE(Logged(Line(scope::kCleanup, L"Exit")));
    EXPECT_FALSE(Logged(Line(scope::kOnStop, L"Service stopped")));

    ASSERT_TRUE(AdvanceUntil([] { return orvsim::TraceCount("DeployAgent", "UnInitDone") > 0; }));
    WaitForBackgroundStop();
    EXPECT_TRUE(TracedInOrder({"DeployAgent::UnInitDone", "ORV::ThreadGarbageCollector::CleanUp"}));
    EXPECT_EQ(CountOf(Line(scope::kCleanup, L"Enter")), 1);
    EXPECT_TRUE(Logged(Line(scope::kOnStop, L"Service stopped")));
    // An agent whose name throws is skipped, and the walk goes on past it.
    EXPECT_TRUE(LoggedAt(UnInitLine(L"Exception during UnInit, ClientBrokerManager Name failed"),
                         ORV::Log::kError));
    EXPECT_EQ(orvsim::TraceCount("ClientBrokerManager", "UnInit"), 0U);
    EXPECT_TRUE(LoggedInOrder({CalledFor(L"ExtensionModule"),
                               UnInitLine(L"Exception during UnInit, ClientBrokerManager Name "
                                          L"failed"),
                               CalledFor(L"AppProvisioningAgent"), CalledFor(L"DownloadAgent"),
                               UnInitLine(L"Cleanup garbage collector")}));
}

TEST_F(StopTest, EventLogEventsDuringTheStopNeverReachAStoppedService) {
    StartUntilFullyInitialized();
    // One reading for both times: the clock runs on between two readings, and a loaded
    // machine makes that a delta of milliseconds.
    const auto now = winsim::clock::WallNow();
    const std::wstring event = winsim::eventlog::TimeChangeEventXml(now, now);
    std::atomic<bool> publishing{true};
    std::thread publisher([&] {
        while (publishing) {
            winsim::eventlog::PublishSystem(event);
            winsim::eventlog::WaitUntilDelivered();
        }
    });
    // Not ASSERT: the publisher must be stopped and joined whatever the wait saw.
    EXPECT_TRUE(WaitForMessage(Line(scope::kEventLogCallback, L"Time delta in milliseconds 0")));
    StopService();
    publishing = false;
    publisher.join();

    EXPECT_EQ(winsim::eventlog::SubscriptionCount(winsim::eventlog::kSystemChannel), 0U);
    const std::uint64_t mark = LogMark();
    winsim::eventlog::PublishSystem(event);
    winsim::eventlog::WaitUntilDelivered();
    EXPECT_TRUE(MessagesSince(mark).empty());
}

TEST_F(StopTest, AServiceRestartsAfterATakeDownThatAnExceptionCutShort) {
    // The first stop throws out of the cleanup before it releases the agent and helper
    // factories; the object's destructor must release them, or the restart adopts the same
    // singletons in second shared pointers and the factories delete them under the new worker.
    orvsim::ArrangeThrow("ORVCore", "OnServiceStop", orvsim::ArrangedException::kRuntimeError);
    StartUntilFullyInitialized();
    ASSERT_TRUE(Host().Stop(kEventually).escaped.has_value());
    EXPECT_EQ(orvsim::TraceCount("orv::AgentFactory", "ReleaseInstance"), 1U);

    ReplaceHost();
    StartUntilFullyInitialized();
    StopService();
    EXPECT_EQ(CountOf(Line(scope::kOnStop, L"Service stopped")), 1);
    EXPECT_EQ(orvsim::TraceCount("orv::AgentFactory", "ReleaseInstance"), 2U);
}

TEST_F(StopTest, AStopBeforeTheBusSubscriptionLeavesNoSubscriptionBehind) {
    // The stop stops the bus while OnStart is held just before it subscribes; a subscription
    // made after that would outlive the service object and be called on a later publication.
    std::atomic<bool> held{false};
    orvsim::ArrangePause("ORV::DatabaseManager", "GetInstance", [&] {
        held = true;
        EXPECT_TRUE(WaitForTraced("ORVPublisherSubscriber", "Cleanup"));
    });
    StartService();
    ASSERT_TRUE(WaitUntil([&] { return held.load(); }));
    StopServiceInBackground();
    WaitForBackgroundStop();

    EXPECT_EQ(orvsim::SubscriberCount(), 0);
    EXPECT_TRUE(Logged(Line(scope::kOnStop, L"Service stopped")));
}

TEST_F(StopTest, EntryPointsWithoutAServiceDoNothing) {
    OnStop();
    EXPECT_TRUE(Messages().empty());

    StartUntilFullyInitialized();
    const std::uint64_t pools =
        winsim::failures::CallCount(winsim::failures::Call::CreateThreadpool);
    const std::uint64_t events = winsim::failures::CallCount(winsim::failures::Call::CreateEvent);
    // A second start sets up a pool and the log again, and nothing else.
    OnStart(winsim::services::StatusHandle(L"ORVService"));
    EXPECT_EQ(winsim::failures::CallCount(winsim::failures::Call::CreateThreadpool), pools + 1);
    EXPECT_EQ(winsim::failures::CallCount(winsim::failures::Call::CreateEvent), events);
    EXPECT_EQ(orvsim::TraceCount("ORV::utility", "InitLog"), 2U);
    EXPECT_EQ(CountOf(Line(scope::kOnStart, L"Service is starting. ORV version is 1.0.0.0")), 1);
    StopService();

    // A control after the stop finds no service and is not acted on.
    const std::uint64_t mark = LogMark();
    EXPECT_EQ(OnServiceControlHandle(SERVICE_CONTROL_PRESHUTDOWN, 0, nullptr, nullptr), 0U);
    EXPECT_FALSE(WaitForMessage(Line(scope::kControl, L"System pre-shutDown Enter"), kQuietPeriod));
    OnStop();
    EXPECT_TRUE(MessagesSince(mark).empty());
}

}  // namespace
}  // namespace orvtest
