// Start-up where the shipped scenarios cannot look: the calls of a full life with their
// arguments and threads, the running mutex, and a worker that ends early.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

#include "service_fixture.h"
#include "sim/client/client_control.h"
#include "sim/common_base/common_base_control.h"
#include "winapi/control/machine_control.h"

namespace orvtest {
namespace {

using ::testing::ElementsAre;

constexpr wchar_t kRunningMutex[] = L"Global\\_OrvRunningMutex";

std::wstring Worker(std::wstring_view text) {
    return Line(scope::kWorker, text);
}

std::string Traced(const void* pointer) {
    return orvsim::TraceText(pointer);
}

class StartUpTest : public ServiceScenario {};

TEST_F(StartUpTest, AFullLifeCallsTheSiblingsInOrderWithTheirArgumentsAndThreads) {
    winsim::registry::SetString(orvsim::kRealmKeyPath, orvsim::kRealmValueName, L"contoso");
    StartUntilFullyInitialized();

    EXPECT_TRUE(TracedInOrder({
        "ORV::ComInit::ComInit",
        "SecurityAttributes::InitializeSecurityAttributes",
        "SecurityAttributes::FreeSecurityAttribute",
        "orv::ORVHelperFactory::SetOrvStatusManager",
        "orv::ORVHelperFactory::SetDeviceInfoProviderAgent",
        "orv::ORVHelperFactory::SetApplicablityEvaluatorAgent",
        "ApplicabilityEvaluator::SetOrvIsStoppingHandle",
        "DeviceContextEventMonitor::Start",
        "EventManager::GetInstance",
        "ORV::EpUrlProvider::GetRealm",
        "ORV::OperationalEventsManager::SetORVRealm",
        "ORV::DeviceInfoProvider::Init",
        "ORV::DeviceInfoProvider::GetCPUArchitecture",
        "AgentInitializer::SetORVAgents",
        "AgentInitializer::InitializeAllAgents",
        "KESCommandProcessor::Init",
        "ORV::OperationalEventsManager::HandleEvent",
        "AppAndTagCollection::CollectTags",
        "EventManager::LogDeviceContext",
        "DeviceRegistrationAgent::RegisterDevice",
        "DiagnosticsManager::Init",
        "AgentInitializer::FullInitializeAllAgents",
    }));
    // The agents initialise in roster order.
    EXPECT_TRUE(TracedInOrder(
        {"DownloadAgent::Init", "ConfigPolicyAgent::Init", "CoreAdapterAgent::Init",
         "MDMAgent::Init", "DeviceRegistrationAgent::Init", "EventManager::Init",
         "NotificationAgent::Init", "AppProvisioningAgent::Init", "ClientBrokerManager::Init",
         "DataSyncAgent::Init", "DeployAgent::Init", "ExtensionModule::Init"}));

    const std::string stopEvent = Traced(ServiceStopEvent());
    EXPECT_THAT(ArgumentsOf("ORV::OperationalEventsManager", "SetORVRealm"),
                ElementsAre("contoso"));
    EXPECT_THAT(ArgumentsOf("AgentInitializer", "InitializeAllAgents"),
                ElementsAre(stopEvent, "12"));
    EXPECT_THAT(ArgumentsOf("ORV::OperationalEventsManager", "HandleEvent"),
                ElementsAre("1", "2", ::testing::_, R"({"context":"Service"})"));
    EXPECT_THAT(ArgumentsOf("AppAndTagCollection", "CollectTags"),
                ElementsAre(stopEvent, "false", "true"));
    EXPECT_THAT(ArgumentsOf("DeviceRegistrationAgent", "RegisterDevice"),
                ElementsAre("6", "3", "false"));
    EXPECT_THAT(ArgumentsOf("DiagnosticsManager", "Init"), ElementsAre(stopEvent));
    // The core adapter gets no configuration agent; the registration agent gets the core
    // adapter, the endpoint provider and a registry helper of its own, and nothing else.
    const std::vector<std::string> coreAdapter =
        ArgumentsOf("CoreAdapterAgent", "CoreAdapterAgent");
    ASSERT_EQ(coreAdapter.size(), 3U);
    EXPECT_THAT(ArgumentsOf("DeviceRegistrationAgent", "DeviceRegistrationAgent"),
                ElementsAre(ArgumentsOf("orv::AgentFactory", "SetCoreAdapterAgent").at(0), "null",
                            "null", coreAdapter[2], "null", "null", ::testing::Ne("null")));
    EXPECT_EQ(coreAdapter[0], "null");
    EXPECT_EQ(coreAdapter[1], "null");
    // Empty callbacks for the notification agent and the critical-event logger; the event
    // manager gets the host's status handle.
    EXPECT_THAT(ArgumentsOf("NotificationAgent", "GetInstance"), ElementsAre("instance", "0"));
    EXPECT_THAT(ArgumentsOf("CriticalEventLogger", "Init"), ElementsAre("empty"));
    EXPECT_THAT(ArgumentsOf("EventManager", "GetInstance"),
                ElementsAre(Traced(winsim::services::StatusHandle(L"ORVService")), "instance"));
    // Made once, on the System channel, and closed with the service.
    EXPECT_EQ(winsim::eventlog::SubscriptionCount(winsim::eventlog::kSystemChannel), 1U);
    EXPECT_TRUE(winsim::com::SecurityInitialized());

    // The worker owns the running mutex until its take-down releases it, before UnInit.
    const auto running = winsim::objects::GetMutexState(kRunningMutex);
    ASSERT_TRUE(running.has_value());
    EXPECT_TRUE(running->owned);
    EXPECT_EQ(running->ownerThreadId, ThreadOf(Worker(L"Start")));
    std::optional<winsim::objects::MutexState> atTakeDown;
    const OnLogLine takeDown(Worker(L"Calling UnInit"),
                             [&] { atTakeDown = winsim::objects::GetMutexState(kRunningMutex); });
    orvsim::ClearTrace();
    StopService();
    ASSERT_TRUE(atTakeDown.has_value());
    EXPECT_FALSE(atTakeDown->owned);
    EXPECT_FALSE(atTakeDown->abandoned);
    EXPECT_EQ(winsim::eventlog::SubscriptionCount(winsim::eventlog::kSystemChannel), 0U);

    EXPECT_EQ(ThreadOf(Line(scope::kUnInit, L"Service stop event received")),
              ThreadOf(Worker(L"Start")));
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
    // The stop notification is the cleanup's last object to go.
    const std::vector<orvsim::TraceEntry> destroyed =
        orvsim::TraceOf("ORVNotificationData", "~ORVNotificationData");
    ASSERT_FALSE(destroyed.empty());
    EXPECT_GT(destroyed.back().sequence,
              orvsim::TraceOf("orv::ORVHelperFactory", "ReleaseInstance").at(0).sequence);
    // Each agent goes down on a thread of its own, none of them the worker, all joined
    // before the garbage collector.
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
    EXPECT_EQ(threads.count(ThreadOf(Worker(L"Start"))), 0U);
}

TEST_F(StartUpTest, WorkerWithoutComEndsBeforeTakingTheMutex) {
    // The first call is OnStart's own; the second is the worker's.
    winsim::failures::FailNext(winsim::failures::Call::CoInitializeEx, 2, E_OUTOFMEMORY);
    StartService();
    ASSERT_TRUE(WaitForMessage(
        Worker(L"ComInit.isOK() failed. comInit._hResInit = " + std::to_wstring(E_OUTOFMEMORY))));
    StopService();

    EXPECT_FALSE(Logged(Worker(L"Created Global Running Mutex")));
    EXPECT_FALSE(winsim::objects::NamedObjectExists(kRunningMutex));
    EXPECT_EQ(orvsim::TraceCount("orv::AgentFactory", "SetDownloadAgent"), 0U);
    EXPECT_TRUE(Logged(Line(scope::kOnStop, L"Service stopped")));
}

TEST_F(StartUpTest, WorkerExceptionIsCaughtAndTheStopStillCompletes) {
    orvsim::ArrangeConstructionFailure("DeviceRegistrationAgent", true);
    StartService();
    ASSERT_TRUE(WaitForMessage(Worker(L"Exit")));
    EXPECT_TRUE(LoggedAt(Worker(L"Exception occured"), ORV::Log::kError));
    EXPECT_TRUE(LoggedInOrder({Worker(L"Exception occured"), Worker(L"Exit")}));
    StopService();

    // The worker left before the second agent group: UnInit finds an empty roster and no
    // command processor, and still runs its last step.
    EXPECT_FALSE(Logged(Worker(L"Initializing DeviceContext Event Monitor")));
    EXPECT_TRUE(MessagesStartingWith(Line(scope::kUnInit, L"UnInit called for")).empty());
    EXPECT_TRUE(Logged(Line(scope::kUnInit, L"Cleanup garbage collector")));
    EXPECT_TRUE(Logged(Line(scope::kOnStop, L"Service stopped")));
}

}  // namespace
}  // namespace orvtest
