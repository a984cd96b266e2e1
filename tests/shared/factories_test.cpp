// Copy semantics of the agent factory and of the agent initializer's list: they share
// objects, never copy or delete them, and drop references at the documented moment.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/agents/config_policy_agent.h"
#include "platform/agents/mdm_agent.h"
#include "platform/common_base/orv_agent.h"
#include "shared/agent_factory.h"
#include "shared/agent_initializer.h"

// These tests look at moved-from objects on purpose.
// NOLINTBEGIN(bugprone-use-after-move)
namespace {

// Agents that run a check when destroyed, to look at the factory at that moment.
class FakeConfigAgent : public IConfigAgent {
  public:
    explicit FakeConfigAgent(std::function<void()> onDestroy = [] {})
        : onDestroy_(std::move(onDestroy)) {}
    ~FakeConfigAgent() override { onDestroy_(); }
    bool ValidateConfigForDelayStart() override { return true; }

  private:
    std::function<void()> onDestroy_;
};

class FakeMdmAgent : public IMDMAgent {
  public:
    explicit FakeMdmAgent(std::function<void()> onDestroy = [] {})
        : onDestroy_(std::move(onDestroy)) {}
    ~FakeMdmAgent() override { onDestroy_(); }
    void Reinit() override {}

  private:
    std::function<void()> onDestroy_;
};

class FactoriesTest : public ::testing::Test {};

TEST_F(FactoriesTest, AgentFactoryAssignmentDestroysLastReferenceAtItsOwnSlot) {
    orv::AgentFactory target;
    std::vector<std::string> events;
    // The configuration slot comes before the MDM slot. When the old configuration agent dies
    // the MDM slot must still hold its old agent; when the old MDM agent dies the configuration
    // slot must already hold the new one.
    IMDMAgent* oldMdm = nullptr;
    IConfigAgent* newConfig = nullptr;
    {
        std::shared_ptr<IConfigAgent> config = std::make_shared<FakeConfigAgent>([&] {
            events.push_back("old config destroyed");
            EXPECT_EQ(target.GetMDMAgent().get(), oldMdm);
        });
        std::shared_ptr<IMDMAgent> mdm = std::make_shared<FakeMdmAgent>([&] {
            events.push_back("old mdm destroyed");
            EXPECT_EQ(target.GetConfigPolicyAgent().get(), newConfig);
        });
        oldMdm = mdm.get();
        target.SetConfigPolicyAgent(config);
        target.SetMDMAgent(mdm);
    }
    orv::AgentFactory source;
    std::shared_ptr<IConfigAgent> config = std::make_shared<FakeConfigAgent>();
    std::shared_ptr<IMDMAgent> mdm = std::make_shared<FakeMdmAgent>();
    newConfig = config.get();
    source.SetConfigPolicyAgent(config);
    source.SetMDMAgent(mdm);

    events.push_back("assign");
    target = source;
    events.push_back("assigned");
    EXPECT_EQ(events, (std::vector<std::string>{"assign", "old config destroyed",
                                                "old mdm destroyed", "assigned"}));
    EXPECT_EQ(mdm.use_count(), 3);  // shared, never copied
}

TEST_F(FactoriesTest, AgentInitializerListNeverOwnsItsAgents) {
    IORVAgent first(L"first");
    IORVAgent second(L"second");
    std::vector<IORVAgent*> roster{&first, nullptr, &second};
    {
        AgentInitializer initializer;
        initializer.SetORVAgents(roster);
        AgentInitializer copy(initializer);
        AgentInitializer moved(std::move(copy));
        EXPECT_TRUE(copy.GetORVAgents().empty());
        AgentInitializer assigned;
        assigned = std::move(moved);
        EXPECT_TRUE(moved.GetORVAgents().empty());

        AgentInitializer& alias = assigned;
        assigned = std::move(alias);
        assigned = alias;
        EXPECT_EQ(assigned.GetORVAgents(), roster);
    }
    // Destroying every list left both agents usable (ASan would report a deletion).
    EXPECT_EQ(first.Name(), L"first");
    EXPECT_EQ(second.Name(), L"second");
}

}  // namespace
// NOLINTEND(bugprone-use-after-move)
