// Start-up: the service start, the worker's sequence, the roster, and the start-up paths that
// depend on the machine (ARM64, a failed registration, a mutex held elsewhere, COM).

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "service_fixture.h"
#include "sim/client/control.h"
#include "sim/common_base/control.h"
#include "winapi/sim/control.h"

namespace orvtest {
namespace {

using ::testing::ElementsAre;

constexpr wchar_t kRunningMutex[] = L"Global\\_OrvRunningMutex";
constexpr wchar_t kServiceKey[] = L"SYSTEM\\CurrentControlSet\\Services\\ORVService";

std::wstring Worker(std::wstring_view text) {
    return Line(scope::kWorker, text);
}

std::string Traced(const void* pointer) {
    return orvsim::TraceText(pointer);
}

class StartUpTest : public ServiceScenario {};

TEST_F(StartUpTest, WorkerRunsItsStepsInOrderUpToTheStopWait) {
    winsim::registry::SetString(orvsim::kRealmKeyPath, orvsim::kRealmValueName, L"contoso");
    StartUntilFullyInitialized();

    EXPECT_TRUE(LoggedInOrder({
        Line(scope::kOnStart, L"Service is starting. ORV version is 1.0.0.0"),
        L"OrvClientService::IsImageStateComplete: Image State completed",
        Line(scope::kWaitOobe, L"IsOOBECompleted indicates success."),
        Line(scope::kOnStart, L"Service started"),
        Line(scope::kOnStart, L"Setting an event for service start"),
    }));
    EXPECT_TRUE(LoggedInOrder({
        Worker(L"Start"),
        Worker(L"Created Global Running Mutex"),
        Worker(L"Initializing ORV helper factory"),
        Worker(L"Initializing DeviceContext Event Monitor"),
        Worker(L"Org id/realm from registry:contoso"),
        Worker(L"Initializing agents"),
        Worker(L"Init called for KESCommandProcessor"),
        Worker(L"Init completed for KESCommandProcessor"),
        Worker(L"Logging device context"),
        Worker(L"Registration successful"),
        Worker(L"Setting startup type change event"),
        Worker(L"Waiting for agents to fully initialize"),
        Worker(L"Waiting for FullInit event"),
        Worker(L"FullInit event signaled"),
        Worker(L"Waiting on service stop event"),
    }));
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

    const std::string stopEvent = Traced(ServiceStopEvent());
    EXPECT_THAT(ArgumentsOf("ORV::OperationalEventsManager", "SetORVRealm"),
                ElementsAre("contoso"));
    EXPECT_THAT(ArgumentsOf("AgentInitializer", "InitializeAllAgents"),
                ElementsAre(stopEvent, "12"));
    const std::vector<std::string> startupEvent =
        ArgumentsOf("ORV::OperationalEventsManager", "HandleEvent");
    ASSERT_EQ(startupEvent.size(), 4U);
    EXPECT_EQ(startupEvent[0], "1");
    EXPECT_EQ(startupEvent[1], "2");
    EXPECT_EQ(startupEvent[3], R"({"context":"Service"})");
    EXPECT_THAT(ArgumentsOf("AppAndTagCollection", "CollectTags"),
                ElementsAre(stopEvent, "false", "true"));
    EXPECT_THAT(ArgumentsOf("DeviceRegistrationAgent", "RegisterDevice"),
                ElementsAre("6", "3", "false"));
    EXPECT_THAT(ArgumentsOf("DiagnosticsManager", "Init"), ElementsAre(stopEvent));

    // Made once, on the System channel, and closed with the service.
    EXPECT_EQ(winsim::eventlog::SubscriptionCount(winsim::eventlog::kSystemChannel), 1U);
    EXPECT_TRUE(winsim::com::SecurityInitialized());

    // The worker owns the running mutex until its take-down releases it.
    const auto running = winsim::objects::GetMutexState(kRunningMutex);
    ASSERT_TRUE(running.has_value());
    EXPECT_TRUE(running->owned);
    EXPECT_EQ(running->ownerThreadId, ThreadOf(Worker(L"Start")));

    // The take-down releases it before UnInit; the object goes with the service's handle.
    std::optional<winsim::objects::MutexState> atTakeDown;
    const OnLogLine takeDown(Worker(L"Calling UnInit"),
                             [&] { atTakeDown = winsim::objects::GetMutexState(kRunningMutex); });
    StopService();
    ASSERT_TRUE(atTakeDown.has_value());
    EXPECT_FALSE(atTakeDown->owned);
    EXPECT_FALSE(atTakeDown->abandoned);
    EXPECT_EQ(winsim::eventlog::SubscriptionCount(winsim::eventlog::kSystemChannel), 0U);
}

TEST_F(StartUpTest, RosterIsBuiltAndRegisteredInTableOrder) {
    StartUntilFullyInitialized();

    std::vector<std::string> setters;
    for (const orvsim::TraceEntry& entry : orvsim::TraceOf("orv::AgentFactory")) {
        if (entry.operation.starts_with("Set")) {
            setters.push_back(entry.operation);
        }
    }
    EXPECT_THAT(
        setters,
        ElementsAre("SetDownloadAgent", "SetConfigPolicyAgent", "SetCoreAdapterAgent",
                    "SetMDMAgent", "SetDeviceRegistrationAgent", "SetEventManager",
                    "SetNotificationAgent", "SetAppProvisioningAgent", "SetClientBrokerManager",
                    "SetDataSyncAgent", "SetDeployAgent", "SetExtensionModule"));
    EXPECT_THAT(ArgumentsOf("AgentInitializer", "SetORVAgents"), ElementsAre("12"));
    // The agents initialise in roster order.
    EXPECT_TRUE(TracedInOrder(
        {"DownloadAgent::Init", "ConfigPolicyAgent::Init", "CoreAdapterAgent::Init",
         "MDMAgent::Init", "DeviceRegistrationAgent::Init", "EventManager::Init",
         "NotificationAgent::Init", "AppProvisioningAgent::Init", "ClientBrokerManager::Init",
         "DataSyncAgent::Init", "DeployAgent::Init", "ExtensionModule::Init"}));

    // The core adapter gets no configuration agent; the registration agent gets the core
    // adapter, the endpoint provider and a registry helper of its own, and nothing else.
    const std::vector<std::string> coreAdapter =
        ArgumentsOf("CoreAdapterAgent", "CoreAdapterAgent");
    ASSERT_EQ(coreAdapter.size(), 3U);
    EXPECT_EQ(coreAdapter[0], "null");
    EXPECT_EQ(coreAdapter[1], "null");
    const std::vector<std::string> registration =
        ArgumentsOf("DeviceRegistrationAgent", "DeviceRegistrationAgent");
    ASSERT_EQ(registration.size(), 7U);
    EXPECT_EQ(registration[0], ArgumentsOf("orv::AgentFactory", "SetCoreAdapterAgent").at(0));
    EXPECT_EQ(registration[1], "null");
    EXPECT_EQ(registration[2], "null");
    EXPECT_EQ(registration[3], coreAdapter[2]);
    EXPECT_EQ(registration[4], "null");
    EXPECT_EQ(registration[5], "null");
    EXPECT_NE(registration[6], "null");

    // Empty callbacks for the notification agent and the critical-event logger; the event
    // manager gets the host's status handle.
    EXPECT_THAT(ArgumentsOf("NotificationAgent", "GetInstance"), ElementsAre("instance", "0"));
    EXPECT_THAT(ArgumentsOf("CriticalEventLogger", "Init"), ElementsAre("empty"));
    EXPECT_THAT(ArgumentsOf("EventManager", "GetInstance"),
                ElementsAre(Traced(winsim::services::StatusHandle(L"ORVService")), "instance"));
}

TEST_F(StartUpTest, Arm64SetsDelayedStartOnTheWorkerAndStartsNoWatcher) {
    winsim::SetProcessorArchitecture(PROCESSOR_ARCHITECTURE_ARM64);
    StartUntilFullyInitialized();

    const std::wstring delayed =
        Line(scope::kStartupType, L"ORV Startup Type changed to Automatic Delay-Start");
    EXPECT_TRUE(Logged(delayed));
    EXPECT_EQ(ThreadOf(delayed), ThreadOf(Worker(L"Start")));
    EXPECT_TRUE(LoggedInOrder({delayed, Worker(L"Initializing agents")}));
    const auto config = winsim::services::Get(L"ORVService");
    ASSERT_TRUE(config.has_value());
    EXPECT_EQ(config->delayedAutoStart, std::optional<bool>(true));
    EXPECT_EQ(config->startType, static_cast<DWORD>(SERVICE_AUTO_START));

    EXPECT_EQ(ArgumentsOf("AppAndTagCollection", "CollectTags").at(1), "true");
    // Registration still announces the change, but there is no event and no watcher.
    EXPECT_TRUE(Logged(Worker(L"Setting startup type change event")));

    // A maintenance control on ARM64 refreshes the tags with the ARM64 flag.
    Host().SendControl(220);
    ASSERT_TRUE(WaitForTraced("AppAndTagCollection", "RefreshTags"));
    EXPECT_EQ(ArgumentsOf("AppAndTagCollection", "RefreshTags").at(1), "true");

    // A policy change is noted by the handler and changes nothing: a watcher would now want
    // plain automatic start, and would say so when stopped.
    orvsim::Publish(4, 15);
    ASSERT_TRUE(
        WaitForMessage(std::wstring(scope::kNotification) + L":Received orv policy change event"));
    StopService();
    EXPECT_EQ(CountOf(delayed), 1);
    EXPECT_TRUE(MessagesStartingWith(scope::kWatcher).empty());
    EXPECT_EQ(winsim::registry::GetDword(kServiceKey, L"DelayedAutostart"),
              std::optional<DWORD>(1));
}

TEST_F(StartUpTest, FailedRegistrationIsLoggedAndStartUpGoesOn) {
    orvsim::ArrangeRegistration(false, 1234);
    StartUntilFullyInitialized();

    EXPECT_TRUE(LoggedAt(Worker(L"Registration failed. Code=1234"), ORV::Log::kError));
    EXPECT_FALSE(Logged(Worker(L"Registration successful")));
    EXPECT_FALSE(Logged(Worker(L"Setting startup type change event")));
    // Nothing triggered the startup-type watcher.
    EXPECT_TRUE(MessagesStartingWith(scope::kStartupType).empty());
}

TEST_F(StartUpTest, RunningMutexHeldElsewhereDoesNotStopStartUp) {
    winsim::objects::HoldMutexElsewhere(kRunningMutex);
    StartUntilFullyInitialized();
    EXPECT_TRUE(Logged(Worker(L"Created Global Running Mutex")));

    StopService();
    // The worker never owned it, so its release changed nothing.
    const auto state = winsim::objects::GetMutexState(kRunningMutex);
    ASSERT_TRUE(state.has_value());
    EXPECT_TRUE(state->ownedElsewhere);
    EXPECT_TRUE(Logged(Worker(L"Exit")));
}

TEST_F(StartUpTest, FailedComInitialisationIsWarnedAndLeftAloneAtCleanup) {
    winsim::failures::FailNext(winsim::failures::Call::CoInitializeEx, 1, RPC_E_CHANGED_MODE);
    StartUntilFullyInitialized();

    const std::uint32_t startThread =
        ThreadOf(Line(scope::kOnStart, L"Service is starting. ORV version is 1.0.0.0"));
    EXPECT_TRUE(LoggedAt(Line(scope::kOnStart, L"[TID:" + std::to_wstring(startThread) +
                                                   L"] CoInitializeEx failed with error: " +
                                                   std::to_wstring(RPC_E_CHANGED_MODE)),
                         ORV::Log::kWarning));
    EXPECT_FALSE(winsim::com::SecurityInitialized());

    StopService();
    EXPECT_TRUE(
        LoggedAt(Line(scope::kCleanup, L"Either CoInitializeEx did not called or failed with " +
                                           std::to_wstring(RPC_E_CHANGED_MODE) +
                                           L". Avoid calling CoUninitialize"),
                 ORV::Log::kError));
    EXPECT_FALSE(Logged(Line(scope::kCleanup, L"Calling  CoUninitialize")));
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
