#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "client_fixture.h"
#include "platform/agents/app_provisioning_agent.h"
#include "platform/agents/client_broker_manager.h"
#include "platform/agents/config_policy_agent.h"
#include "platform/agents/data_sync_agent.h"
#include "platform/agents/deploy_agent.h"
#include "platform/agents/extension_module.h"
#include "platform/agents/mdm_agent.h"
#include "platform/agents/notification_agent.h"
#include "platform/common_base/download_agent.h"
#include "platform/common_base/process_wrap.h"
#include "platform/event_manager/event_manager.h"
#include "platform/event_manager/orv_event_monitor.h"
#include "platform/event_manager/user_process_agent.h"
#include "sim/client/client_control.h"
#include "sim/common_base/agent_control.h"
#include "sim/trace.h"
#include "winapi/windows_api.h"

namespace {

class AgentsTest : public orvtest::ClientFixture {};

// Each singleton agent's GetInstance, viewed as the roster views it.
std::vector<std::pair<std::string, std::function<IORVAgent*()>>> SingletonAgents() {
    return {
        {"ConfigPolicyAgent", [] { return ConfigPolicyAgent::GetInstance(); }},
        {"MDMAgent", [] { return MDMAgent::GetInstance(); }},
        {"EventManager", [] { return EventManager::GetInstance(nullptr); }},
        {"NotificationAgent", [] { return NotificationAgent::GetInstance({}, {}, {}, {}, {}); }},
        {"AppProvisioningAgent", [] { return AppProvisioningAgent::GetInstance(); }},
        {"ClientBrokerManager", [] { return ClientBrokerManager::GetInstance(); }},
        {"DataSyncAgent", [] { return DataSyncAgent::GetInstance(); }},
        {"DeployAgent", [] { return DeployAgent::GetInstance(); }},
        {"ExtensionModule", [] { return ORV::ExtensionModule::GetInstance(); }},
        {"DownloadAgent", [] { return DownloadAgent::GetInstance(); }},
    };
}

TEST_F(AgentsTest, EverySingletonAgentCanBeArrangedMissingAndIsFreshAfterItsOwnerLetsGo) {
    for (const auto& [component, getInstance] : SingletonAgents()) {
        orvsim::ArrangeMissingInstance(component, true);
        EXPECT_EQ(getInstance(), nullptr) << component;
        orvsim::ArrangeMissingInstance(component, false);

        std::unique_ptr<IORVAgent> owner(getInstance());
        ASSERT_NE(owner, nullptr) << component;
        EXPECT_EQ(owner->Name(), std::wstring(component.begin(), component.end()));
        EXPECT_EQ(getInstance(), owner.get()) << component << ": one instance while owned";
        ASSERT_TRUE(owner->Init()) << component;
        owner.reset();

        // A dangling instance would still read as initialised (or trip the sanitizer).
        std::unique_ptr<IORVAgent> fresh(getInstance());
        EXPECT_FALSE(fresh->IsInitialized()) << component;
    }
}

TEST_F(AgentsTest, TheEventManagerStartsTheClientEventMonitorWhenItInitialises) {
    std::unique_ptr<EventManager> manager(EventManager::GetInstance(nullptr));
    orvsim::AgentBehaviour failing;
    failing.init.failure = orvsim::StepFailure::kReturnFalse;
    orvsim::ArrangeAgent(L"EventManager", failing);
    EXPECT_FALSE(manager->Init());
    EXPECT_FALSE(orvsim::Monitors().clientEventMonitorRunning);
    EXPECT_FALSE(manager->LogDeviceContext(true, DeviceContext(), true));

    orvsim::ArrangeAgent(L"EventManager", {});
    EXPECT_TRUE(manager->Init());
    EXPECT_TRUE(orvsim::Monitors().clientEventMonitorRunning);
    EXPECT_TRUE(manager->LogDeviceContext(true, DeviceContext(), true));
    ORVEventMonitor::GetInstance()->Shutdown();
    EXPECT_FALSE(orvsim::Monitors().clientEventMonitorRunning);
}

// The per-user process follows the interactive user.
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

TEST_F(UserSessionTest, TheUserProcessFollowsTheActiveSessionButNotWhileStoppingOrWithoutAUser) {
    Agent().StartUserProcess(stopEvent_, 0);  // no active user session yet
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
    SetEvent(stopEvent_);
    Agent().StartUserProcess(stopEvent_, 0);
    EXPECT_FALSE(orvsim::UserProcess().running);
    ResetEvent(stopEvent_);
    Agent().StartUserProcess(stopEvent_, 0);
    const orvsim::UserProcessState state = orvsim::UserProcess();
    EXPECT_TRUE(state.running);
    EXPECT_EQ(state.sessionId, 3);
    EXPECT_EQ(state.starts, 2);
    EXPECT_EQ(state.stops, 1);

    const auto outcomes = orvsim::TraceOf("UserProcessAgent", "StartUserProcessDone");
    ASSERT_GE(outcomes.size(), 2u);
    EXPECT_EQ(outcomes.front().arguments.at(0), "no active user session");
    EXPECT_EQ(outcomes[outcomes.size() - 2].arguments.at(0), "stopping");
}

}  // namespace
