#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <stdexcept>

#include "client_fixture.h"
#include "platform/agents/config_policy_agent.h"
#include "platform/agents/deploy_agent.h"
#include "platform/agents/mdm_agent.h"
#include "shared/client_vocabulary.h"
#include "sim/client/client_control.h"
#include "sim/common_base/agent_control.h"
#include "sim/trace.h"
#include "winapi/control/clock.h"

namespace {

using namespace std::chrono_literals;

using orv::bus::kStateMayFullyInitialize;
using orv::bus::kTopicConfigPolicy;

// Three agents of the roster, owned as the service owns them.
class FullInitSignalTest : public orvtest::ClientFixture {
  protected:
    void SetUp() override {
        ClientFixture::SetUp();
        config_.reset(ConfigPolicyAgent::GetInstance());
        mdm_.reset(MDMAgent::GetInstance());
        deploy_.reset(DeployAgent::GetInstance());
    }

    void TearDown() override {
        config_.reset();
        mdm_.reset();
        deploy_.reset();
        ClientFixture::TearDown();
    }

    static void Arrange(bool enabled, std::chrono::milliseconds delay) {
        orvsim::ArrangeFullInitSignal({enabled, delay});
    }

    static std::size_t Announcements() {
        std::size_t count = 0;
        for (const auto& publication : orvsim::Publications()) {
            count += publication.topicId == kTopicConfigPolicy &&
                     publication.eventState == kStateMayFullyInitialize;
        }
        return count;
    }

    std::shared_ptr<ConfigPolicyAgent> config_;
    std::shared_ptr<MDMAgent> mdm_;
    std::shared_ptr<DeployAgent> deploy_;
};

TEST_F(FullInitSignalTest, AnnouncedOnceEveryAgentHasBeenThroughInitFailedOrNot) {
    Arrange(true, 0ms);
    orvsim::AgentBehaviour failing;
    failing.init.failure = orvsim::StepFailure::kThrow;
    orvsim::ArrangeAgent(L"MDMAgent", failing);
    EXPECT_THROW(mdm_->Init(), std::runtime_error);
    ASSERT_TRUE(config_->Init());
    EXPECT_FALSE(
        orvtest::Published(kTopicConfigPolicy, kStateMayFullyInitialize, orvtest::kQuietPeriod))
        << "announced before the deployment agent initialised";

    ASSERT_TRUE(deploy_->Init());
    ASSERT_TRUE(orvtest::Published(kTopicConfigPolicy, kStateMayFullyInitialize));
    EXPECT_GT(orvsim::TraceOf("ConfigPolicyAgent", "AnnounceFullInit").at(0).sequence,
              orvsim::TraceOf("DeployAgent", "InitDone").at(0).sequence);
    ASSERT_TRUE(orvsim::WaitForBusIdle(orvtest::kEventually));
    EXPECT_EQ(Announcements(), 1u);
}

TEST_F(FullInitSignalTest, WaitsTheDelayOnTheMachineClockUnlessSuppressedOrUnInitMeanwhile) {
    // Suppressed from the start is what the scenarios arrange; these are the late withdrawals.
    winsim::clock::SetScale(20);
    deploy_.reset();
    mdm_.reset();  // an agent that is gone is not waited for
    Arrange(true, 2000ms);
    ASSERT_TRUE(config_->Init());
    Arrange(false, 2000ms);
    winsim::clock::Advance(3000ms);
    EXPECT_FALSE(
        orvtest::Published(kTopicConfigPolicy, kStateMayFullyInitialize, orvtest::kQuietPeriod));

    config_->UnInit();
    Arrange(true, 3600s);
    ASSERT_TRUE(config_->Init());
    auto uninit = std::async(std::launch::async, [this] { config_->UnInit(); });
    ASSERT_EQ(uninit.wait_for(orvtest::kEventually), std::future_status::ready);  // at once
    EXPECT_FALSE(config_->IsInitialized());
    EXPECT_EQ(Announcements(), 0u);
    EXPECT_EQ(orvsim::TraceCount("ConfigPolicyAgent", "AnnounceFullInit"), 0u);

    Arrange(true, 4000ms);
    const auto armed = winsim::clock::MonotonicNow();
    ASSERT_TRUE(config_->Init());
    ASSERT_TRUE(orvtest::Published(kTopicConfigPolicy, kStateMayFullyInitialize));
    EXPECT_GE(winsim::clock::MonotonicNow() - armed, 4000ms);
}

TEST_F(FullInitSignalTest, AConfigPolicyAgentThatFailsToInitialiseAnnouncesNothing) {
    Arrange(true, 0ms);
    orvsim::AgentBehaviour failing;
    failing.init.failure = orvsim::StepFailure::kReturnFalse;
    orvsim::ArrangeAgent(L"ConfigPolicyAgent", failing);
    ASSERT_FALSE(config_->Init());
    ASSERT_TRUE(mdm_->Init());
    ASSERT_TRUE(deploy_->Init());

    EXPECT_FALSE(
        orvtest::Published(kTopicConfigPolicy, kStateMayFullyInitialize, orvtest::kQuietPeriod));
}

}  // namespace
