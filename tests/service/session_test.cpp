// Session changes: the active user session, the per-user agent process, and the agents and
// plug-ins that follow the interactive user.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/common_base/process_wrap.h"
#include "service_fixture.h"
#include "sim/client/control.h"
#include "sim/common_base/control.h"

namespace orvtest {
namespace {

using ::testing::ElementsAre;

std::wstring Control(std::wstring_view text) {
    return Line(scope::kControl, text);
}

int ActiveSession() {
    orvsim::TraceSilence quiet;  // the test's look, not a call of the service
    return ORV::ProcessWrap::GetActiveUserSessionId();
}

class SessionTest : public ServiceScenario {
  protected:
    // Delivers one session change on a fresh trace and waits for the call that ends its
    // handling.
    void Deliver(DWORD reason, DWORD sessionId, std::string_view lastComponent,
                 std::string_view lastOperation) {
        orvsim::ClearTrace();
        Host().SendSessionChange(reason, sessionId);
        ASSERT_TRUE(WaitForTraced(lastComponent, lastOperation))
            << "reason " << reason << ", session " << sessionId;
    }
};

TEST_F(SessionTest, LogonAndLogoffsKeepTheActiveSessionInStep) {
    StartUntilFullyInitialized();
    const std::string stopEvent = orvsim::TraceText(static_cast<const void*>(ServiceStopEvent()));

    Deliver(WTS_SESSION_LOGON, 2, "ApplicabilityEvaluator", "RefreshPersonaTagMonitoringDone");
    EXPECT_EQ(ActiveSession(), 2);
    EXPECT_TRUE(LoggedInOrder({
        L"OrvClientService::GetSessionIdOfLoggedOffUser: session ID is=> 2",
        std::wstring(scope::kControl) + L" dwEvent: 5 sessionId: 2",
        Control(L"User Logged on. SessionId=2"),
        Control(L"stopping non-active UserPlugin on user login."),
        Control(L"starting UserPlugin on user login."),
    }));
    EXPECT_TRUE(TracedInOrder({
        "ORV::ProcessWrap::SetActiveUserSessionId",
        "DeviceManagerAgent::OnDeviceUnlock",
        "DeviceContextEventMonitor::TryAddUserRelatedMonitors",
        "MachineInformation::ReInitialize",
        "EventManager::LogDeviceContext",
        "UserProcessAgent::IsDatasetEnable",
        "UserProcessAgent::StartUserProcess",
        "MDMAgent::Reinit",
        "ORV::PluginManager::UpdateUserSession",
        "ORV::PluginManager::Start",
        "ApplicabilityEvaluator::RefreshPersonaTagMonitoring",
    }));
    EXPECT_THAT(ArgumentsOf("MachineInformation", "ReInitialize"), ElementsAre("true"));
    const std::vector<std::string> deviceContext = ArgumentsOf("EventManager", "LogDeviceContext");
    ASSERT_EQ(deviceContext.size(), 4U);
    EXPECT_EQ(deviceContext.front(), "true");
    EXPECT_EQ(deviceContext.back(), "true");
    EXPECT_THAT(ArgumentsOf("ORV::PluginManager", "UpdateUserSession"),
                ElementsAre("true", "2", "false"));
    EXPECT_THAT(ArgumentsOf("ORV::PluginManager", "Start"), ElementsAre("true"));
    EXPECT_EQ(ArgumentsOf("UserProcessAgent", "StartUserProcess").at(0), stopEvent);
    EXPECT_TRUE(orvsim::UserProcess().running);
    EXPECT_EQ(orvsim::UserProcess().sessionId, 2);

    // A logoff of another session leaves the active one alone.
    Deliver(WTS_SESSION_LOGOFF, 3, "ORV::PluginManager", "UpdateUserSession");
    EXPECT_EQ(ActiveSession(), 2);
    EXPECT_TRUE(LoggedInOrder({Control(L"User Logged off. SessionId=3"),
                               Control(L"suspending User Plugin on user logoff.")}));
    EXPECT_THAT(ArgumentsOf("UserProcessAgent", "StopUserProcess"), ElementsAre("0"));
    EXPECT_THAT(ArgumentsOf("ORV::PluginManager", "UpdateUserSession"),
                ElementsAre("true", "3", "true"));

    Deliver(WTS_SESSION_LOGOFF, 2, "ORV::PluginManager", "UpdateUserSession");
    EXPECT_EQ(ActiveSession(), -1);
    EXPECT_THAT(ArgumentsOf("ORV::PluginManager", "UpdateUserSession"),
                ElementsAre("true", "2", "true"));
    // Each session change also reached the event manager, with its session id.
    std::vector<std::int64_t> forwarded;
    for (const orvsim::ForwardedControl& control : orvsim::ForwardedControls()) {
        forwarded.push_back(control.sessionId);
    }
    EXPECT_THAT(forwarded, ElementsAre(2, 3, 2));
}

TEST_F(SessionTest, LogonBeforeFullInitSkipsTheAgentSteps) {
    orvsim::ArrangeFullInitSignal({.enabled = false});
    StartService();
    ASSERT_TRUE(WaitForMessage(Line(scope::kWorker, L"Waiting for FullInit event")));

    Deliver(WTS_SESSION_LOGON, 4, "ApplicabilityEvaluator", "RefreshPersonaTagMonitoringDone");
    EXPECT_EQ(ActiveSession(), 4);
    EXPECT_TRUE(
        TracedInOrder({"DeviceManagerAgent::OnDeviceUnlock",
                       "DeviceContextEventMonitor::TryAddUserRelatedMonitors",
                       "MachineInformation::ReInitialize", "UserProcessAgent::StartUserProcess"}));
    EXPECT_EQ(orvsim::TraceCount("EventManager", "LogDeviceContext"), 0U);
    EXPECT_EQ(orvsim::TraceCount("MDMAgent", "Reinit"), 0U);
    EXPECT_EQ(orvsim::TraceCount("ORV::PluginManager"), 0U);
    EXPECT_TRUE(orvsim::ForwardedControls().empty());
    EXPECT_FALSE(Logged(Control(L"starting UserPlugin on user login.")));
}

TEST_F(SessionTest, UnlockAndConnectsSetTheActiveSessionWithTheirOwnSteps) {
    StartUntilFullyInitialized();

    Deliver(WTS_SESSION_UNLOCK, 5, "ApplicabilityEvaluator", "RefreshPersonaTagMonitoringDone");
    EXPECT_EQ(ActiveSession(), 5);
    EXPECT_TRUE(Logged(Control(L"User Unlocked. SessioId=5")));
    EXPECT_TRUE(
        TracedInOrder({"DeviceManagerAgent::OnDeviceUnlock", "MDMAgent::Reinit",
                       "UserProcessAgent::StartUserProcess",
                       "ORV::PluginManager::UpdateUserSession", "ORV::PluginManager::Start"}));
    EXPECT_THAT(ArgumentsOf("ORV::PluginManager", "UpdateUserSession"),
                ElementsAre("true", "5", "false"));
    EXPECT_EQ(orvsim::TraceCount("DeviceContextEventMonitor", "TryAddUserRelatedMonitors"), 0U);
    EXPECT_EQ(orvsim::TraceCount("MachineInformation", "ReInitialize"), 0U);
    EXPECT_EQ(orvsim::TraceCount("EventManager", "LogDeviceContext"), 0U);
    EXPECT_FALSE(Logged(Control(L"starting UserPlugin on user login.")));

    // A connect ends as it sets the session, so wait for the value itself.
    Host().SendSessionChange(WTS_CONSOLE_CONNECT, 6);
    EXPECT_TRUE(WaitUntil([] { return ActiveSession() == 6; }));
    EXPECT_TRUE(Logged(Control(L"cosole connected. SessionId=6")));
    Host().SendSessionChange(WTS_REMOTE_CONNECT, 7);
    EXPECT_TRUE(WaitUntil([] { return ActiveSession() == 7; }));
    EXPECT_TRUE(Logged(Control(L"remote cosole connected. SessionId=7")));

    // A lock only writes the common line.
    const std::uint64_t mark = LogMark();
    Deliver(WTS_SESSION_LOCK, 8, "EventManager", "OnServiceControl");
    ASSERT_TRUE(WaitForMessage(std::wstring(scope::kControl) + L" dwEvent: 7 sessionId: 8"));
    EXPECT_THAT(MessagesSince(mark),
                ElementsAre(L"OrvClientService::GetSessionIdOfLoggedOffUser: session ID is=> 8",
                            std::wstring(scope::kControl) + L" dwEvent: 7 sessionId: 8"));
    EXPECT_EQ(ActiveSession(), 7);
}

TEST_F(SessionTest, UserAgentProcessFollowsTheDatasetSwitchAndTheAgentsAnswer) {
    StartUntilFullyInitialized();

    orvsim::ArrangeUserProcess({.datasetEnabled = false});
    for (DWORD reason : {WTS_SESSION_LOGON, WTS_SESSION_UNLOCK}) {
        Deliver(reason, 2, "ApplicabilityEvaluator", "RefreshPersonaTagMonitoringDone");
        EXPECT_EQ(orvsim::TraceCount("UserProcessAgent", "CheckUserProcessSessionIdChange"), 0U);
        EXPECT_EQ(orvsim::TraceCount("UserProcessAgent", "StartUserProcess"), 0U);
    }
    Deliver(WTS_SESSION_LOGOFF, 2, "ORV::PluginManager", "UpdateUserSession");
    EXPECT_EQ(orvsim::TraceCount("UserProcessAgent", "StopUserProcess"), 0U);
    EXPECT_EQ(orvsim::UserProcess().starts, 0);

    // The agent says the process runs in another session: stop it, then start it.
    orvsim::ArrangeUserProcess({.datasetEnabled = true, .sessionChangeAnswer = 1});
    Deliver(WTS_SESSION_UNLOCK, 3, "ApplicabilityEvaluator", "RefreshPersonaTagMonitoringDone");
    EXPECT_TRUE(Logged(Control(L"stop ORVUserAgent.exe and re-start it.")));
    EXPECT_TRUE(
        TracedInOrder({"UserProcessAgent::CheckUserProcessSessionIdChange",
                       "UserProcessAgent::StopUserProcess", "UserProcessAgent::StartUserProcess"}));

    // Any other answer starts it without a stop.
    orvsim::ArrangeUserProcess({.datasetEnabled = true, .sessionChangeAnswer = 2});
    Deliver(WTS_SESSION_LOGON, 4, "ApplicabilityEvaluator", "RefreshPersonaTagMonitoringDone");
    EXPECT_EQ(orvsim::TraceCount("UserProcessAgent", "StopUserProcess"), 0U);
    EXPECT_EQ(orvsim::TraceCount("UserProcessAgent", "StartUserProcess"), 1U);
    EXPECT_EQ(CountOf(Control(L"stop ORVUserAgent.exe and re-start it.")), 1);
}

TEST_F(SessionTest, SessionChangeWithoutDataCarriesSessionMinusOne) {
    StartUntilFullyInitialized();
    orvsim::ClearTrace();
    Host().SendControl(SERVICE_CONTROL_SESSIONCHANGE, WTS_SESSION_LOGON, nullptr);
    ASSERT_TRUE(WaitForTraced("ApplicabilityEvaluator", "RefreshPersonaTagMonitoringDone"));
    EXPECT_TRUE(Logged(std::wstring(scope::kControl) + L" dwEvent: 5 sessionId: -1"));
    EXPECT_TRUE(Logged(Control(L"User Logged on. SessionId=-1")));
    EXPECT_TRUE(MessagesStartingWith(L"OrvClientService::GetSessionIdOfLoggedOffUser").empty());
    EXPECT_EQ(ActiveSession(), -1);
    ASSERT_EQ(orvsim::ForwardedControls().size(), 1U);
    EXPECT_FALSE(orvsim::ForwardedControls()[0].hasEventData);
}

TEST_F(SessionTest, LogonsHandledAtOnceEachRefreshTheMachineInformation) {
    StartUntilFullyInitialized();
    orvsim::ClearTrace();
    constexpr DWORD kLogons = 64;  // the control pool runs up to 8 at once
    for (DWORD session = 1; session <= kLogons; ++session) {
        Host().SendSessionChange(WTS_SESSION_LOGON, session);
    }
    ASSERT_TRUE(WaitUntil([] {
        return orvsim::TraceCount("ApplicabilityEvaluator", "RefreshPersonaTagMonitoringDone") ==
               kLogons;
    }));
    EXPECT_EQ(orvsim::TraceCount("MachineInformation", "ReInitialize"), kLogons);
    EXPECT_FALSE(Logged(Control(L"Not able to access Machine Information")));
}

TEST_F(SessionTest, LogonAfterAPreShutdownFindsNoMachineInformation) {
    StartUntilFullyInitialized();
    Host().SendControl(SERVICE_CONTROL_PRESHUTDOWN);
    ASSERT_TRUE(WaitForMessage(Control(L"System pre-shutDown Exit")));

    // The cleanup has released the helpers: the logon goes on without them.
    Deliver(WTS_SESSION_LOGON, 2, "orv::ORVHelperFactory", "GetApplicablilityEvaluatorAgent");
    EXPECT_TRUE(LoggedAt(Control(L"Not able to access Machine Information"), ORV::Log::kError));
    EXPECT_EQ(orvsim::TraceCount("MachineInformation", "ReInitialize"), 0U);
    EXPECT_EQ(ActiveSession(), 2);
}

}  // namespace
}  // namespace orvtest
