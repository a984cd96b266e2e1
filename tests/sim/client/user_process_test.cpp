#include <gtest/gtest.h>

#include "client_fixture.h"
#include "platform/agents/plugin_manager.h"
#include "platform/common_base/process_wrap.h"
#include "platform/event_manager/device_context_event_monitor.h"
#include "platform/event_manager/user_process_agent.h"
#include "sim/client/control.h"
#include "sim/trace.h"
#include "winapi/windows_api.h"

namespace {

// What follows the interactive user: the per-user process, the user monitors and plug-ins.
class UserSessionTest : public orvtest::ClientFixture {
  protected:
    void SetUp() override {
        ClientFixture::SetUp();
        stopEvent_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    }
    void TearDown() override {
        CloseHandle(stopEvent_);
        ClientFixture::TearDown();
    }

    static UserProcessAgent& Agent() { return *UserProcessAgent::GetInstance(); }

    HANDLE stopEvent_ = nullptr;
};

TEST_F(UserSessionTest, TheUserProcessFollowsTheActiveSession) {
    ORV::ProcessWrap::SetActiveUserSessionId(2);
    EXPECT_TRUE(Agent().IsDatasetEnable());
    EXPECT_EQ(Agent().CheckUserProcessSessionIdChange(), 0);  // not running: nothing to move
    Agent().StartUserProcess(stopEvent_, 0);
    Agent().StartUserProcess(stopEvent_, 0);  // already there
    EXPECT_EQ(orvsim::UserProcess().starts, 1);
    EXPECT_EQ(Agent().CheckUserProcessSessionIdChange(), 0);

    ORV::ProcessWrap::SetActiveUserSessionId(3);
    EXPECT_EQ(Agent().CheckUserProcessSessionIdChange(), 1);
    Agent().StopUserProcess(0);
    Agent().StartUserProcess(stopEvent_, 0);
    const orvsim::UserProcessState state = orvsim::UserProcess();
    EXPECT_TRUE(state.running);
    EXPECT_EQ(state.sessionId, 3);
    EXPECT_EQ(state.starts, 2);
    EXPECT_EQ(state.stops, 1);
}

TEST_F(UserSessionTest, TheUserProcessIsNotStartedWhileStoppingOrWithoutAUser) {
    Agent().StartUserProcess(stopEvent_, 0);  // no active user session yet
    ORV::ProcessWrap::SetActiveUserSessionId(1);
    SetEvent(stopEvent_);
    Agent().StartUserProcess(stopEvent_, 0);
    EXPECT_FALSE(orvsim::UserProcess().running);

    const auto outcomes = orvsim::TraceOf("UserProcessAgent", "StartUserProcessDone");
    ASSERT_EQ(outcomes.size(), 2u);
    EXPECT_EQ(outcomes[0].arguments.at(0), "no active user session");
    EXPECT_EQ(outcomes[1].arguments.at(0), "stopping");
}

TEST_F(UserSessionTest, UserMonitorsAndPluginsRunOnlyForTheActiveUser) {
    DeviceContextEventMonitor& monitor = *DeviceContextEventMonitor::GetInstance();
    ORV::ProcessWrap::SetActiveUserSessionId(2);
    EXPECT_FALSE(monitor.TryAddUserRelatedMonitors());  // the global monitor is not running
    monitor.Start();
    EXPECT_TRUE(monitor.TryAddUserRelatedMonitors());
    EXPECT_EQ(orvsim::Monitors().userMonitorSessions, std::vector<int>{2});
    monitor.Stop();
    EXPECT_TRUE(orvsim::Monitors().userMonitorSessions.empty());

    ORV::PluginManager& plugins = *ORV::PluginManager::GetInstance();
    plugins.UpdateUserSession(true, 2, false);
    plugins.Start(true);
    EXPECT_TRUE(orvsim::Plugins().userPluginsRunning);
    plugins.UpdateUserSession(true, 2, true);  // its user logged off
    EXPECT_FALSE(orvsim::Plugins().userPluginsRunning);
    plugins.Start(true);  // suspended sessions stay suspended
    EXPECT_FALSE(orvsim::Plugins().userPluginsRunning);
    plugins.UpdateUserSession(true, 4, false);
    plugins.Start(true);
    EXPECT_EQ(orvsim::Plugins().activeSession, 4);
    EXPECT_TRUE(orvsim::Plugins().userPluginsRunning);
}

}  // namespace
