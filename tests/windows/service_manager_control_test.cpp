// Controls that a program sends the running service with ControlService: the client's own
// maintenance codes reach the library; a custom code it does not know, and INTERROGATE, are
// answered without effect.

#include <gtest/gtest.h>

#include <thread>

#include "service_manager_fixture.h"

namespace scm_suite {
namespace {

constexpr DWORD kMaintenance = 220;
constexpr DWORD kMaintenanceSecondForm = 221;
constexpr DWORD kUnknownCustom = 200;
constexpr char kMaintenanceLine[] =
    "OrvClientService::OnServiceControlHandle: Notifying agents as Maintenance task triggered";
constexpr char kControlFailed[] = "OrvClientService::OnServiceControlHandle failed with exception";

class ServiceControlTest : public ServiceManagerTest {
  protected:
    void SetUp() override {
        ServiceManagerTest::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        ASSERT_NO_FATAL_FAILURE(Install());
        StateTrace trace;
        ASSERT_NO_FATAL_FAILURE(Start(trace, "start-to-running-ms"));
        // Only a fully initialised client hands controls on to its agents.
        ASSERT_NO_FATAL_FAILURE(WaitForFullInit());
        log_.Mark();
    }

    ::testing::AssertionResult Send(DWORD control, SERVICE_STATUS& status) {
        if (!ControlService(service_.get(), control, &status)) {
            return ::testing::AssertionFailure()
                   << "ControlService(" << control << ") failed with error " << GetLastError();
        }
        return ::testing::AssertionSuccess();
    }
};

TEST_F(ServiceControlTest, MaintenanceCodesReachTheLibraryAndPublishTheirTopics) {
    SERVICE_STATUS status{};
    ASSERT_TRUE(Send(kMaintenance, status));
    EXPECT_TRUE(log_.WaitFor(kMaintenanceLine, kLogLineLimit, 1));
    // The service hears its own publication on the bus: topic 7, state 1 for code 220.
    EXPECT_TRUE(log_.WaitFor("Notification received; topicID: 7, eventState: 1", kLogLineLimit));

    ASSERT_TRUE(Send(kMaintenanceSecondForm, status));
    EXPECT_TRUE(log_.WaitFor(kMaintenanceLine, kLogLineLimit, 2));
    EXPECT_TRUE(log_.WaitFor("Notification received; topicID: 7, eventState: 2", kLogLineLimit));
    EXPECT_EQ(CountContaining(log_.Lines(), kControlFailed), 0u) << Excerpt(log_.Lines());
}

TEST_F(ServiceControlTest, UnknownCustomCodeAndInterrogateLeaveItRunning) {
    SERVICE_STATUS status{};
    ASSERT_TRUE(Send(kUnknownCustom, status));
    EXPECT_EQ(status.dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING))
        << "state reported with control " << kUnknownCustom << ": "
        << StateName(status.dwCurrentState);
    ASSERT_TRUE(Send(SERVICE_CONTROL_INTERROGATE, status));
    EXPECT_EQ(status.dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING))
        << "state reported to INTERROGATE: " << StateName(status.dwCurrentState);

    // The library handles controls on its own threads; give it time to have done so.
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const StateTrace after =
        PollUntil(service_.get(), SERVICE_RUNNING, std::chrono::steady_clock::now(), {});
    EXPECT_TRUE(after.reached) << "after control " << kUnknownCustom << ": " << after.Describe();
    EXPECT_EQ(after.last.dwProcessId, processId_) << "the service runs in another process now";
    const auto written = log_.Lines();
    EXPECT_EQ(CountContaining(written, kMaintenanceLine), 0u) << Excerpt(written);
    EXPECT_EQ(CountContaining(written, kControlFailed), 0u) << Excerpt(written);
    EXPECT_EQ(CountContaining(written, lines::kStopping), 0u) << Excerpt(written);
}

}  // namespace
}  // namespace scm_suite
