#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/common_base/orv_agent.h"
#include "shared/agent_initializer.h"
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
        std::vector<IORVAgent*> roster;
        for (const wchar_t* name : {L"First", L"Second", L"Third", L"Fourth"}) {
            agents_.push_back(std::make_unique<HookedAgent>(name));
            roster.push_back(agents_.back().get());
        }
        roster.insert(roster.begin() + 1, nullptr);
        AgentInitializer::GetInstance()->SetORVAgents(roster);
    }
    void TearDown() override {
        CloseHandle(stopEvent_);
        CommonBaseFixture::TearDown();
    }

    bool InitRound() {
        return AgentInitializer::GetInstance()->InitializeAllAgents(stopEvent_, agentsMutex_);
    }
    bool FullInitRound() {
        return AgentInitializer::GetInstance()->FullInitializeAllAgents(stopEvent_, agentsMutex_);
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

TEST_F(AgentInitializerTest, RunsTheRosterInOrderAndOnlyInitializedAgentsGoOnToFullInit) {
    orvsim::AgentBehaviour throwing;
    throwing.init.failure = orvsim::StepFailure::kThrow;
    orvsim::ArrangeAgent(L"Second", throwing);
    orvsim::AgentBehaviour refusing;
    refusing.init.failure = orvsim::StepFailure::kReturnFalse;
    orvsim::ArrangeAgent(L"Fourth", refusing);

    EXPECT_FALSE(InitRound());
    EXPECT_THAT(Started("Init"), ElementsAre("First", "Second", "Third", "Fourth"));
    EXPECT_EQ(orvsim::TraceOf("Second", "InitDone").at(0).arguments.at(0), "exception");
    EXPECT_TRUE(orvsim::WaitForLog(
        [](const orvsim::LogRecord& record) {
            return record.level == ORV::Log::kError &&
                   record.message.find(L"Second") != std::wstring::npos;
        },
        std::chrono::milliseconds(0)));
    EXPECT_FALSE(FullInitRound());
    EXPECT_THAT(Started("FullInit"), ElementsAre("First", "Third"));
    EXPECT_TRUE(agents_[2]->IsFullyInitialized());
}

TEST_F(AgentInitializerTest, AStopDuringAnyAgentEndsTheRoundAfterItAndIsReported) {
    agents_[0]->onInit = [this] { SetEvent(stopEvent_); };
    EXPECT_TRUE(InitRound());
    EXPECT_THAT(Started("Init"), ElementsAre("First"));
    EXPECT_FALSE(agents_[1]->IsInitialized());

    // During the last agent: nothing is left to skip, the stop is reported all the same.
    ResetEvent(stopEvent_);
    orvsim::ClearTrace();
    agents_[0]->onInit = nullptr;
    agents_[3]->onInit = [this] { SetEvent(stopEvent_); };
    EXPECT_TRUE(InitRound());
    EXPECT_THAT(Started("Init"), ElementsAre("First", "Second", "Third", "Fourth"));

    // A stop already set before a round starts nothing in it.
    EXPECT_TRUE(FullInitRound());
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
    InitRound();
    EXPECT_THAT(lockedDuringInit, ElementsAre(true, true, true, true));
    EXPECT_TRUE(agentsMutex_.try_lock());  // released after the round
    agentsMutex_.unlock();
}

}  // namespace
