// The wait for Windows setup and the out-of-box experience, where the shipped scenarios cannot
// look: a machine without the setup key, the thread a stop during the OOBE poll runs on, and
// a stop that the image-state watch sees only at the next change.

#include <gtest/gtest.h>

#include "service_fixture.h"
#include "sim/common_base/common_base_control.h"
#include "winapi/control/machine_control.h"

namespace orvtest {
namespace {

constexpr wchar_t kSetupStateKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Setup\\State";

class OobeWaitTest : public ServiceScenario {};

TEST_F(OobeWaitTest, MissingSetupKeyGivesUpWithoutAWorker) {
    winsim::registry::DeleteKey(kSetupStateKey);
    StartService();
    ASSERT_TRUE(Host().WaitForStartReturned(kEventually));
    EXPECT_TRUE(LoggedInOrder({
        Line(scope::kImageState, L"ImageState AddMonitor failed"),
        Line(scope::kWaitOobe, L"Image state check failed."),
        Line(scope::kOnStart, L"Setting an event for service start"),
    }));
    EXPECT_TRUE(LoggedAt(Line(scope::kWaitOobe, L"Image state check failed."), ORV::Log::kError));
    EXPECT_FALSE(Logged(Line(scope::kOnStart, L"Service started")));

    // The object lives on without a worker until OnStop.
    StopService();
    EXPECT_FALSE(Logged(Line(scope::kWorker, L"Start")));
    EXPECT_TRUE(Logged(Line(scope::kOnStop, L"Service stopped")));
}

TEST_F(OobeWaitTest, StopDuringTheOobePollTakesAgentsDownOnTheStartThread) {
    orvsim::ArrangeOobeNeverCompleted();
    StartService();
    ASSERT_TRUE(WaitForMessage(Line(scope::kWaitOobe, L"IsOOBECompleted indicates failed")));
    StopService();

    EXPECT_EQ(ThreadOf(Line(scope::kStopProbe, L"Calling Uninit")),
              ThreadOf(Line(scope::kOnStart, L"Setting an event for service start")));
    EXPECT_EQ(ThreadOf(Line(scope::kWaitOobe, L"Service stop initiated. Exiting loop.")),
              ThreadOf(Line(scope::kOnStart, L"Setting an event for service start")));
    // The cleanup found no worker, took the agents down itself and waited for the start.
    EXPECT_TRUE(LoggedInOrder(
        {Line(scope::kCleanup, L"calling uninit"), Line(scope::kCleanup, L"completed uninit")}));
}

TEST_F(OobeWaitTest, StopDuringTheImageStateWatchIsSeenAtTheNextChange) {
    // Slower than usual: the change must be seen within the cleanup's 10 s wait for the start,
    // after which the cleanup stops the registry monitor.
    winsim::clock::SetScale(2.0);
    winsim::registry::SetString(kSetupStateKey, L"ImageState", L"IMAGE_STATE_UNDEPLOYABLE");
    StartService();
    ASSERT_TRUE(
        WaitForMessage(Line(scope::kImageState, L"Waiting for Image State to be completed")));
    StopServiceInBackground();
    ASSERT_TRUE(WaitForMessage(Line(scope::kCleanup, L"completed uninit")));

    winsim::registry::SetString(kSetupStateKey, L"ImageState",
                                L"IMAGE_STATE_SPECIALIZE_RESEAL_TO_OOBE");
    WaitForBackgroundStop();
    EXPECT_TRUE(LoggedInOrder({
        Line(scope::kStopProbe, L"Calling Uninit"),
        Line(scope::kUnInit, L"uninit already triggered"),
        Line(scope::kStopProbe, L"Completed Uninit"),
        Line(scope::kWaitOobe, L"Image state check failed."),
        Line(scope::kOnStart, L"Setting an event for service start"),
    }));
    EXPECT_FALSE(Logged(Line(scope::kWorker, L"Start")));
    EXPECT_TRUE(Logged(Line(scope::kOnStop, L"Service stopped")));
}

}  // namespace
}  // namespace orvtest
