// The stop: the entry point's stop, the one-time cleanup shared with pre-shutdown, the ordered
// take-down of the agents, and a second service in the same process.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>

#include "service/entry_points.h"
#include "service_fixture.h"
#include "sim/client/control.h"
#include "sim/common_base/control.h"
#include "winapi/sim/control.h"

namespace orvtest {
namespace {

constexpr const wchar_t* kReverseRoster[] = {L"ExtensionModule",
                                             L"DeployAgent",
                                             L"DataSyncAgent",
                                             L"ClientBrokerManager",
                                             L"AppProvisioningAgent",
                                             L"NotificationAgent",
                                             L"EventManager",
                                             L"DeviceRegistrationAgent",
                                             L"MDMAgent",
                                             L"CoreAdapterAgent",
                                             L"ConfigPolicyAgent",
                                             L"DownloadAgent"};

std::wstring UnInitLine(std::wstring_view text) {
    return Line(scope::kUnInit, text);
}

std::wstring CalledFor(const wchar_t* agent) {
    return UnInitLine(std::wstring(L"UnInit called for ") + agent);
}

class StopTest : public ServiceScenario {};

TEST_F(StopTest, StopAfterFullInitLetsTheWorkerTakeTheAgentsDown) {
    StartUntilFullyInitialized();
    orvsim::ClearTrace();
    StopService();

    EXPECT_GE(Host().TimeToStop().value_or(0ms), 2000ms);
    EXPECT_FALSE(Logged(Line(scope::kCleanup, L"calling uninit")));
    EXPECT_EQ(ThreadOf(UnInitLine(L"Service stop event received")),
              ThreadOf(Line(scope::kWorker, L"Start")));
    EXPECT_TRUE(LoggedInOrder({
        Line(scope::kOnStop, L"Service is stopping"),
        Line(scope::kOnStop, L"Starting cleanup from OnStop"),
        Line(scope::kCleanup, L"Enter"),
        Line(scope::kWorker, L"Calling UnInit"),
        Line(scope::kWorker, L"Exit"),
        Line(scope::kCleanup, L"Calling  CoUninitialize"),
        Line(scope::kCleanup, L"Exit"),
        Line(scope::kOnStop, L"Service stopped"),
        L"OnStop Wait timeout completed",
    }));
    EXPECT_TRUE(TracedInOrder({
        "ORVNotificationData::ORVNotificationData",
        "ORVPublisherSubscriber::Notify",
        "ORVCore::GetInst_CoreApi",
        "ORVCore::OnServiceStop",
        "ORVPublisherSubscriber::SetStopRequest",
        "ORVPublisherSubscriber::Cleanup",
        "ORVEventMonitor::Shutdown",
        "ORV::CRegMonitor::Stop",
        "orv::AgentFactory::ReleaseInstance",
        "orv::ORVHelperFactory::ReleaseInstance",
    }));
    // The worker's take-down runs once the stop event is set and may overtake the cleanup's
    // own bus calls; the cleanup joins it before shutting the monitors down.
    EXPECT_TRUE(TracedInOrder({"ORVCore::OnServiceStop", "ORV::ThreadGarbageCollector::CleanUp",
                               "ORVEventMonitor::Shutdown"}));
    EXPECT_THAT(ArgumentsOf("ORVPublisherSubscriber", "Notify"),
                ::testing::ElementsAre("91", "0", "", ""));
    // The stop notification is the cleanup's last object to go.
    const std::vector<orvsim::TraceEntry> destroyed =
        orvsim::TraceOf("ORVNotificationData", "~ORVNotificationData");
    ASSERT_FALSE(destroyed.empty());
    EXPECT_GT(destroyed.back().sequence,
              orvsim::TraceOf("orv::ORVHelperFactory", "ReleaseInstance").at(0).sequence);
}

TEST_F(StopTest, AgentsGoDownInReverseRosterOrderEachOnAThreadOfItsOwn) {
    StartUntilFullyInitialized();
    StopService();

    std::vector<std::wstring> order;
    for (const wchar_t* agent : kReverseRoster) {
        order.push_back(CalledFor(agent));
        order.push_back(UnInitLine(std::wstring(L"UnInit completed for ") + agent));
    }
    order.push_back(UnInitLine(L"UnInit called for KESCommandProcessor"));
    order.push_back(UnInitLine(L"UnInit completed for KESCommandProcessor"));
    order.push_back(UnInitLine(L"Stopping Global Context Event Monitor"));
    order.push_back(UnInitLine(L"Cleanup garbage collector"));
    EXPECT_TRUE(LoggedInOrder(order));

    // Twelve threads, none of them the worker; all joined before the garbage collector.
    const std::uint32_t worker = ThreadOf(Line(scope::kWorker, L"Start"));
    std::set<std::uint32_t> threads;
    const std::uint64_t collected =
        orvsim::TraceOf("ORV::ThreadGarbageCollector", "CleanUp").at(0).sequence;
    for (const orvsim::TraceEntry& entry : orvsim::TraceSnapshot()) {
        if (entry.operation == "UnInitDone" && entry.component != "KESCommandProcessor") {
            threads.insert(entry.threadId);
            EXPECT_LT(entry.sequence, collected) << entry.component;
        }
    }
    EXPECT_EQ(threads.size(), 12U);
    EXPECT_EQ(threads.count(worker), 0U);
}

TEST_F(StopTest, SlowAgentUnInitDelaysTheStopButNotTheCommandProcessor) {
    ArrangeHangingStep(L"DeployAgent", &orvsim::AgentBehaviour::unInit);
    StartUntilFullyInitialized();
    StopServiceInBackground();

    // The command processor and the monitor go down while the deploy agent still runs.
    ASSERT_TRUE(WaitForTraced("DeviceContextEventMonitor", "Stop"));
    EXPECT_EQ(orvsim::TraceCount("KESCommandProcessor", "UnInit"), 1U);
    EXPECT_EQ(orvsim::TraceCount("DeployAgent", "UnInitDone"), 0U);
    EXPECT_FALSE(Logged(UnInitLine(L"Cleanup garbage collector")));
    EXPECT_FALSE(Logged(Line(scope::kOnStop, L"Service stopped")));

    ASSERT_TRUE(AdvanceUntil([] { return orvsim::TraceCount("DeployAgent", "UnInitDone") > 0; }));
    WaitForBackgroundStop();
    EXPECT_TRUE(TracedInOrder({"DeployAgent::UnInitDone", "ORV::ThreadGarbageCollector::CleanUp"}));
    EXPECT_TRUE(Logged(Line(scope::kOnStop, L"Service stopped")));
}

TEST_F(StopTest, MissingUninitialisedAndFailingAgentsDoNotStopTheWalk) {
    orvsim::ArrangeMissingInstance("DeployAgent", true);
    orvsim::AgentBehaviour initFails;
    initFails.init.failure = orvsim::StepFailure::kReturnFalse;
    orvsim::ArrangeAgent(L"DataSyncAgent", initFails);
    orvsim::AgentBehaviour nameThrows;
    nameThrows.nameThrows = true;
    orvsim::ArrangeAgent(L"ClientBrokerManager", nameThrows);
    StartUntilFullyInitialized();
    EXPECT_THAT(ArgumentsOf("orv::AgentFactory", "SetDeployAgent"), ::testing::ElementsAre("null"));
    StopService();

    EXPECT_FALSE(Logged(CalledFor(L"DeployAgent")));
    EXPECT_FALSE(Logged(CalledFor(L"DataSyncAgent")));
    EXPECT_EQ(orvsim::TraceCount("DataSyncAgent", "UnInit"), 0U);
    EXPECT_TRUE(LoggedAt(UnInitLine(L"Exception during UnInit, ClientBrokerManager Name failed"),
                         ORV::Log::kError));
    EXPECT_EQ(orvsim::TraceCount("ClientBrokerManager", "UnInit"), 0U);
    // The walk went on past the failure.
    EXPECT_TRUE(LoggedInOrder({CalledFor(L"ExtensionModule"),
                               UnInitLine(L"Exception during UnInit, ClientBrokerManager Name "
                                          L"failed"),
                               CalledFor(L"AppProvisioningAgent"), CalledFor(L"DownloadAgent"),
                               UnInitLine(L"Cleanup garbage collector")}));
}

TEST_F(StopTest, PreShutdownCleansUpOnceAndOnStopWaitsForIt) {
    StartUntilFullyInitialized();
    Host().SendControl(SERVICE_CONTROL_PRESHUTDOWN);
    ASSERT_TRUE(WaitForMessage(Line(scope::kControl, L"System pre-shutDown Exit")));
    EXPECT_TRUE(LoggedInOrder({
        Line(scope::kControl, L"System pre-shutDown Enter"),
        Line(scope::kControl, L"Starting cleanup from PRESHUTDOWN"),
        Line(scope::kCleanup, L"Enter"),
        Line(scope::kCleanup, L"Exit"),
        Line(scope::kControl, L"System pre-shutDown Exit"),
    }));
    // Forwarded to the event manager before the cleanup told anyone of the stop.
    EXPECT_TRUE(
        TracedInOrder({"EventManager::OnServiceControl", "ORVPublisherSubscriber::Notify"}));
    const auto reports = winsim::services::StatusReports();
    ASSERT_EQ(reports.size(), 1U);
    const SERVICE_STATUS& status = reports[0].status;
    EXPECT_EQ(status.dwServiceType, 0x10U);
    EXPECT_EQ(status.dwCurrentState, static_cast<DWORD>(SERVICE_STOPPED));
    EXPECT_EQ(status.dwControlsAccepted, 0U);
    EXPECT_EQ(status.dwWin32ExitCode, 0U);
    EXPECT_EQ(status.dwServiceSpecificExitCode, 0U);
    EXPECT_EQ(status.dwCheckPoint, 0U);
    EXPECT_EQ(status.dwWaitHint, 0U);

    // A second pre-shutdown skips the cleanup and reports again.
    Host().SendControl(SERVICE_CONTROL_PRESHUTDOWN);
    ASSERT_TRUE(WaitForMessage(Line(scope::kControl, L"Cleanup already started, skipping")));
    ASSERT_TRUE(winsim::services::WaitForStatusReports(2, kEventually));

    StopService();
    EXPECT_TRUE(LoggedInOrder({
        Line(scope::kOnStop, L"Service is stopping"),
        Line(scope::kOnStop, L"Cleanup already started, waiting for completion"),
        Line(scope::kOnStop, L"Cleanup completion confirmed"),
        Line(scope::kOnStop, L"Service stopped"),
    }));
    EXPECT_EQ(CountOf(Line(scope::kCleanup, L"Enter")), 1);
}

TEST_F(StopTest, PreShutdownDuringOnStopSkipsTheRunningCleanup) {
    ArrangeHangingStep(L"DeployAgent", &orvsim::AgentBehaviour::unInit);
    StartUntilFullyInitialized();
    StopServiceInBackground();
    ASSERT_TRUE(WaitForTraced("DeployAgent", "UnInit"));

    // The control arrives after OnStop closed the pool and is still handled, at once.
    winsim::services::ClearStatusReports();
    EXPECT_EQ(OnServiceControlHandle(SERVICE_CONTROL_PRESHUTDOWN, 0, nullptr, nullptr), 0U);
    ASSERT_TRUE(WaitForMessage(Line(scope::kControl, L"System pre-shutDown Exit")));
    EXPECT_TRUE(Logged(Line(scope::kControl, L"Cleanup already started, skipping")));
    ASSERT_EQ(winsim::services::StatusReports().size(), 1U);
    EXPECT_EQ(winsim::services::StatusReports()[0].status.dwCurrentState,
              static_cast<DWORD>(SERVICE_STOPPED));
    EXPECT_FALSE(Logged(Line(scope::kCleanup, L"Exit")));

    ASSERT_TRUE(AdvanceUntil([] { return orvsim::TraceCount("DeployAgent", "UnInitDone") > 0; }));
    WaitForBackgroundStop();
    EXPECT_EQ(CountOf(Line(scope::kCleanup, L"Enter")), 1);
    EXPECT_TRUE(Logged(Line(scope::kOnStop, L"Service stopped")));
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

TEST_F(StopTest, RestartedServiceTakesNoAgentDownASecondTime) {
    StartUntilFullyInitialized();
    StopService();
    ASSERT_EQ(CountOf(UnInitLine(L"Service stop event received")), 1);

    orvsim::ClearLogRecords();
    orvsim::ClearTrace();
    ReplaceHost();
    StartUntilFullyInitialized();
    StopService();

    EXPECT_TRUE(LoggedInOrder({
        Line(scope::kWorker, L"Calling UnInit"),
        UnInitLine(L"uninit already triggered"),
        Line(scope::kWorker, L"Completed UnInit"),
    }));
    EXPECT_FALSE(Logged(UnInitLine(L"Service stop event received")));
    EXPECT_TRUE(MessagesStartingWith(UnInitLine(L"UnInit called for")).empty());
    for (const wchar_t* agent : kReverseRoster) {
        const std::string name(agent, agent + std::wcslen(agent));
        EXPECT_EQ(orvsim::TraceCount(name, "UnInit"), 0U) << name;
    }
    EXPECT_EQ(orvsim::TraceCount("KESCommandProcessor", "UnInit"), 0U);
    EXPECT_TRUE(Logged(Line(scope::kOnStop, L"Service stopped")));
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
