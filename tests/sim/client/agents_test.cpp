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
#include "platform/event_manager/event_manager.h"
#include "platform/event_manager/orv_event_monitor.h"
#include "sim/client/control.h"
#include "sim/common_base/agent_control.h"
#include "sim/trace.h"

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

TEST_F(AgentsTest, TheNotificationAgentKeepsTheCallbacksOfItsFirstCreation) {
    std::unique_ptr<NotificationAgent> agent(NotificationAgent::GetInstance({}, {}, {}, {}, {}));
    EXPECT_EQ(agent->RegisteredCallbackCount(), 0);
    const auto calls = orvsim::TraceOf("NotificationAgent", "GetInstance");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].arguments.back(), "0");

    auto ignored = [](std::string, std::string) {};
    EXPECT_EQ(NotificationAgent::GetInstance(ignored, ignored, {}, {}, {}), agent.get());
    EXPECT_EQ(agent->RegisteredCallbackCount(), 0);
}

}  // namespace
