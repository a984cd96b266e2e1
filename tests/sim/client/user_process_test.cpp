#include <gtest/gtest.h>

#include "client_fixture.h"
#include "platform/common_base/process_wrap.h"
#include "platform/event_manager/user_process_agent.h"
#include "sim/client/control.h"
#include "sim/trace.h"
#include "winapi/windows_api.h"

namespace {

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
