// Copy semantics of the agent and helper factories and of the agent initializer's list: they
// share objects, never copy them, and release references at the documented moment.

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
#include "shared/device_info_provider.h"
#include "shared/machine_information.h"
#include "shared/orv_helper_factory.h"

namespace {

// Runs a check when destroyed: lets a test look at the world at the moment a factory drops
// the last reference.
class FakeConfigAgent : public IConfigAgent {
  public:
    explicit FakeConfigAgent(std::function<void()> onDestroy) : onDestroy_(std::move(onDestroy)) {}
    ~FakeConfigAgent() override { onDestroy_(); }
    bool ValidateConfigForDelayStart() override { return true; }

  private:
    std::function<void()> onDestroy_;
};

class FakeMdmAgent : public IMDMAgent {
  public:
    explicit FakeMdmAgent(std::function<void()> onDestroy) : onDestroy_(std::move(onDestroy)) {}
    ~FakeMdmAgent() override { onDestroy_(); }
    void Reinit() override {}

  private:
    std::function<void()> onDestroy_;
};

class CountedAgent : public IORVAgent {
  public:
    CountedAgent(std::wstring name, int& destroyed)
        : IORVAgent(std::move(name)), destroyed_(destroyed) {}
    ~CountedAgent() override { ++destroyed_; }

  private:
    int& destroyed_;
};

class FactoriesTest : public ::testing::Test {};

TEST_F(FactoriesTest, CopyingEmptyFactoriesYieldsEmptySlots) {
    orv::AgentFactory agents;
    orv::AgentFactory agentsCopy(agents);
    EXPECT_EQ(agentsCopy.GetConfigPolicyAgent(), nullptr);
    EXPECT_EQ(agentsCopy.GetMDMAgent(), nullptr);
    EXPECT_EQ(agentsCopy.GetEventManager(), nullptr);

    orv::ORVHelperFactory helpers;
    orv::ORVHelperFactory helpersCopy(helpers);
    EXPECT_EQ(helpersCopy.GetMachineInformationAgent(), nullptr);
    EXPECT_EQ(helpersCopy.GetDeviceInfoProviderAgent(), nullptr);
}

TEST_F(FactoriesTest, AgentFactoryCopySharesEachAgentOnce) {
    auto config = std::shared_ptr<IConfigAgent>(std::make_shared<FakeConfigAgent>([] {}));
    auto mdm = std::shared_ptr<IMDMAgent>(std::make_shared<FakeMdmAgent>([] {}));
    orv::AgentFactory factory;
    factory.SetConfigPolicyAgent(config);
    factory.SetMDMAgent(mdm);
    ASSERT_EQ(config.use_count(), 2);

    {
        orv::AgentFactory copy(factory);
        EXPECT_EQ(copy.GetConfigPolicyAgent().get(), config.get());
        EXPECT_EQ(copy.GetMDMAgent().get(), mdm.get());
        EXPECT_EQ(config.use_count(), 3);
        EXPECT_EQ(mdm.use_count(), 3);
    }
    EXPECT_EQ(config.use_count(), 2);

    orv::AgentFactory& alias = factory;
    factory = alias;
    EXPECT_EQ(config.use_count(), 2);
    EXPECT_EQ(mdm.use_count(), 2);
}

TEST_F(FactoriesTest, AgentFactoryAssignmentDestroysLastReferenceAtItsOwnSlot) {
    orv::AgentFactory target;
    orv::AgentFactory source;
    std::vector<std::string> events;

    // The configuration slot comes before the MDM slot. When the target's old configuration
    // agent dies, the target's MDM slot must still hold its old agent; when the old MDM agent
    // dies, the configuration slot must already hold the new one.
    IMDMAgent* oldMdm = nullptr;
    IConfigAgent* newConfig = nullptr;
    {
        auto config = std::shared_ptr<IConfigAgent>(std::make_shared<FakeConfigAgent>([&] {
            events.push_back("old config destroyed");
            EXPECT_EQ(target.GetMDMAgent().get(), oldMdm);
        }));
        auto mdm = std::shared_ptr<IMDMAgent>(std::make_shared<FakeMdmAgent>([&] {
            events.push_back("old mdm destroyed");
            EXPECT_EQ(target.GetConfigPolicyAgent().get(), newConfig);
        }));
        oldMdm = mdm.get();
        target.SetConfigPolicyAgent(config);
        target.SetMDMAgent(mdm);
    }
    auto config = std::shared_ptr<IConfigAgent>(std::make_shared<FakeConfigAgent>([] {}));
    auto mdm = std::shared_ptr<IMDMAgent>(std::make_shared<FakeMdmAgent>([] {}));
    newConfig = config.get();
    source.SetConfigPolicyAgent(config);
    source.SetMDMAgent(mdm);

    events.push_back("assign");
    target = source;
    events.push_back("assigned");

    EXPECT_EQ(events, (std::vector<std::string>{"assign", "old config destroyed",
                                                "old mdm destroyed", "assigned"}));
    EXPECT_EQ(config.use_count(), 3);
    EXPECT_EQ(target.GetMDMAgent().get(), mdm.get());
}

TEST_F(FactoriesTest, HelperFactoryCopiesShareHelpersAndReleaseInSlotOrder) {
    orv::ORVHelperFactory target;
    bool machineGone = false;
    {
        auto machine = std::make_shared<MachineInformation>();
        auto provider = std::make_shared<ORV::DeviceInfoProvider>();
        target.SetMachineInformationAgent(machine);
        target.SetDeviceInfoProviderAgent(provider);
    }
    std::weak_ptr<MachineInformation> oldMachine = target.GetMachineInformationAgent();
    std::weak_ptr<ORV::DeviceInfoProvider> oldProvider = target.GetDeviceInfoProviderAgent();

    orv::ORVHelperFactory copy(target);
    EXPECT_EQ(oldMachine.use_count(), 2);
    EXPECT_EQ(copy.GetDeviceInfoProviderAgent(), target.GetDeviceInfoProviderAgent());

    orv::ORVHelperFactory empty;
    copy = empty;
    EXPECT_EQ(oldMachine.use_count(), 1);
    EXPECT_EQ(copy.GetMachineInformationAgent(), nullptr);

    target = empty;
    machineGone = oldMachine.expired();
    EXPECT_TRUE(machineGone);
    EXPECT_TRUE(oldProvider.expired());
}

TEST_F(FactoriesTest, AgentInitializerListNeverOwnsItsAgents) {
    int destroyed = 0;
    CountedAgent first(L"first", destroyed);
    CountedAgent second(L"second", destroyed);
    std::vector<IORVAgent*> roster{&first, nullptr, &second};

    {
        AgentInitializer initializer;
        initializer.SetORVAgents(roster);
        AgentInitializer copy(initializer);
        EXPECT_EQ(copy.GetORVAgents(), roster);

        AgentInitializer moved(std::move(copy));
        EXPECT_EQ(moved.GetORVAgents(), roster);
        EXPECT_TRUE(copy.GetORVAgents().empty());

        AgentInitializer assigned;
        assigned = std::move(moved);
        EXPECT_EQ(assigned.GetORVAgents(), roster);
        EXPECT_TRUE(moved.GetORVAgents().empty());

        AgentInitializer& alias = assigned;
        assigned = std::move(alias);
        EXPECT_EQ(assigned.GetORVAgents(), roster);
        assigned = alias;
        EXPECT_EQ(assigned.GetORVAgents(), roster);
    }
    EXPECT_EQ(destroyed, 0);
    EXPECT_EQ(first.Name(), L"first");
}

TEST_F(FactoriesTest, AgentInitializerCopyAssignmentGrowsOnlyWhenNeeded) {
    int destroyed = 0;
    CountedAgent a(L"a", destroyed);
    CountedAgent b(L"b", destroyed);
    CountedAgent c(L"c", destroyed);
    std::vector<IORVAgent*> three{&a, &b, &c};
    std::vector<IORVAgent*> one{&b};

    AgentInitializer big;
    big.SetORVAgents(three);
    AgentInitializer small;
    small.SetORVAgents(one);

    // Three entries' worth of storage already there: it is reused for one entry.
    const IORVAgent* const* storage = big.GetORVAgents().data();
    big = small;
    EXPECT_EQ(big.GetORVAgents(), one);
    EXPECT_EQ(big.GetORVAgents().data(), storage);

    AgentInitializer growing;
    growing = small;
    growing = AgentInitializer(small);
    AgentInitializer source;
    source.SetORVAgents(three);
    growing = source;
    EXPECT_EQ(growing.GetORVAgents(), three);
    EXPECT_EQ(destroyed, 0);
}

}  // namespace
