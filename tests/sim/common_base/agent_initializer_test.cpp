#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/common_base/orv_agent.h"
#include "shared/agent_initializer.h"
#include "sim/common_base/control.h"
#include "test_support.h"
#include "winapi/windows_api.h"

namespace {

using ::testing::ElementsAre;

// An agent that can run a hook inside its Init, e.g. to request a stop mid-round.
class HookedAgent : public IORVAgent {
  public:
    explicit HookedAgent(std::wstring name) : IORVAgent(std::move(name)) {}
    bool Init() override {
        if (onInit) {
            onInit();
        }
        return IORVAgent::Init();
    }
    std::function<void()> onInit;
};

class AgentInitializerTest : public orvtest::CommonBaseFixture {
  protected:
    void SetUp() override {
        CommonBaseFixture::SetUp();
        stopEvent_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        for (const wchar_t* name : {L"First", L"Second", L"Third"}) {
            agents_.push_back(std::make_unique<HookedAgent>(name));
        }
    }
    void TearDown() override {
        CloseHandle(stopEvent_);
        CommonBaseFixture::TearDown();
    }

    std::vector<IORVAgent*> Roster(bool withNull = false) {
        std::vector<IORVAgent*> roster;
        for (auto& agent : agents_) {
            roster.push_back(agent.get());
            if (withNull && roster.size() == 1) {
                roster.push_back(nullptr);
            }
        }
        return roster;
    }

    // The components whose Init (or FullInit) started, in trace order.
    static std::vector<std::string> Started(const std::string& step) {
        std::vector<std::string> started;
        for (const auto& entry : orvsim::TraceSnapshot()) {
            if (entry.operation == step) {
                started.push_back(entry.component);
            }
        }
        return started;
    }

    HANDLE stopEvent_ = nullptr;
    std::mutex agentsMutex_;
    std::vector<std::unique_ptr<HookedAgent>> agents_;
};

TEST_F(AgentInitializerTest, InitializesTheRosterInOrderSkippingNullEntries) {
    auto roster = Roster(/*withNull=*/true);
    AgentInitializer* initializer = AgentInitializer::GetInstance();
    initializer->SetORVAgents(roster);
    EXPECT_FALSE(initializer->InitializeAllAgents(stopEvent_, agentsMutex_));
    EXPECT_THAT(Started("Init"), ElementsAre("First", "Second", "Third"));
    for (auto& agent : agents_) {
        EXPECT_TRUE(agent->IsInitialized());
    }

    EXPECT_FALSE(initializer->FullInitializeAllAgents(stopEvent_, agentsMutex_));
    EXPECT_THAT(Started("FullInit"), ElementsAre("First", "Second", "Third"));
    EXPECT_TRUE(agents_[2]->IsFullyInitialized());
}

TEST_F(AgentInitializerTest, AStopDuringAnAgentEndsTheRoundAfterIt) {
    agents_[0]->onInit = [this] { SetEvent(stopEvent_); };
    auto roster = Roster();
    AgentInitializer::GetInstance()->SetORVAgents(roster);
    EXPECT_TRUE(AgentInitializer::GetInstance()->InitializeAllAgents(stopEvent_, agentsMutex_));
    EXPECT_THAT(Started("Init"), ElementsAre("First"));
    EXPECT_TRUE(agents_[0]->IsInitialized());
    EXPECT_FALSE(agents_[1]->IsInitialized());
}

TEST_F(AgentInitializerTest, AStopDuringTheLastAgentIsStillReported) {
    agents_[2]->onInit = [this] { SetEvent(stopEvent_); };
    auto roster = Roster();
    AgentInitializer::GetInstance()->SetORVAgents(roster);
    EXPECT_TRUE(AgentInitializer::GetInstance()->InitializeAllAgents(stopEvent_, agentsMutex_));
    EXPECT_THAT(Started("Init"), ElementsAre("First", "Second", "Third"));

    // A stop already set before a round starts nothing in it.
    EXPECT_TRUE(AgentInitializer::GetInstance()->FullInitializeAllAgents(stopEvent_, agentsMutex_));
    EXPECT_TRUE(Started("FullInit").empty());
}

TEST_F(AgentInitializerTest, HoldsTheAgentsMutexAroundEachAgent) {
    std::vector<bool> lockedDuringInit;
    for (auto& agent : agents_) {
        agent->onInit = [this, &lockedDuringInit] {
            // Probed from another thread: try_lock on the owning thread would be undefined.
            auto probe = std::async(std::launch::async, [this] {
                const bool free = agentsMutex_.try_lock();
                if (free) {
                    agentsMutex_.unlock();
                }
                return !free;
            });
            lockedDuringInit.push_back(probe.get());
        };
    }
    auto roster = Roster();
    AgentInitializer::GetInstance()->SetORVAgents(roster);
    AgentInitializer::GetInstance()->InitializeAllAgents(stopEvent_, agentsMutex_);
    EXPECT_THAT(lockedDuringInit, ElementsAre(true, true, true));
    // Released after the round.
    EXPECT_TRUE(agentsMutex_.try_lock());
    agentsMutex_.unlock();
}

TEST_F(AgentInitializerTest, AFailingAgentIsLoggedAndTheRoundGoesOn) {
    orvsim::AgentBehaviour throwing;
    throwing.init.failure = orvsim::StepFailure::kThrow;
    orvsim::ArrangeAgent(L"First", throwing);
    orvsim::AgentBehaviour refusing;
    refusing.init.failure = orvsim::StepFailure::kReturnFalse;
    orvsim::ArrangeAgent(L"Second", refusing);

    auto roster = Roster();
    AgentInitializer::GetInstance()->SetORVAgents(roster);
    EXPECT_FALSE(AgentInitializer::GetInstance()->InitializeAllAgents(stopEvent_, agentsMutex_));
    EXPECT_FALSE(agents_[0]->IsInitialized());
    EXPECT_FALSE(agents_[1]->IsInitialized());
    EXPECT_TRUE(agents_[2]->IsInitialized());
    EXPECT_EQ(orvsim::TraceOf("First", "InitDone").at(0).arguments.at(0), "exception");
    EXPECT_TRUE(orvsim::WaitForLog(
        [](const orvsim::LogRecord& record) {
            return record.level == ORV::Log::kError &&
                   record.message.find(L"First") != std::wstring::npos;
        },
        std::chrono::milliseconds(0)));

    // Only agents that initialized take part in the second round.
    AgentInitializer::GetInstance()->FullInitializeAllAgents(stopEvent_, agentsMutex_);
    EXPECT_THAT(Started("FullInit"), ElementsAre("Third"));
}

class AgentTest : public orvtest::CommonBaseFixture {};

TEST_F(AgentTest, StepsFollowTheirArrangementAndUnInitClearsTheFlags) {
    HookedAgent agent(L"Agent");
    orvsim::AgentBehaviour behaviour;
    behaviour.unInit.duration = std::chrono::milliseconds(30);
    behaviour.fullInit.failure = orvsim::StepFailure::kReturnFalse;
    orvsim::ArrangeAgent(L"Agent", behaviour);

    ASSERT_TRUE(agent.Init());
    EXPECT_FALSE(agent.FullInit());
    EXPECT_FALSE(agent.IsFullyInitialized());
    agent.UnInit();
    EXPECT_FALSE(agent.IsInitialized());
    // UnInit returned only after its arranged duration: its end is traced before it returns.
    EXPECT_EQ(orvsim::TraceCount("Agent", "UnInitDone"), 1u);

    behaviour.nameThrows = true;
    orvsim::ArrangeAgent(L"Agent", behaviour);
    EXPECT_THROW(agent.Name(), std::runtime_error);
    orvsim::ResetAgentArrangements();
    EXPECT_EQ(agent.Name(), L"Agent");
}

}  // namespace
