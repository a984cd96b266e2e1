// The wait for Windows setup and the out-of-box experience before the worker is launched, and
// stops that arrive while the start waits.

#include <gtest/gtest.h>

#include "service_fixture.h"
#include "sim/common_base/control.h"
#include "winapi/sim/control.h"

namespace orvtest {
namespace {

constexpr wchar_t kSetupStateKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Setup\\State";

void SetImageState(std::wstring_view value) {
    winsim::registry::SetString(kSetupStateKey, L"ImageState", value);
}

// Waits until the image-state watch has handled `changes` registry changes in all.
bool WaitForHandledChanges(std::size_t changes) {
    return WaitUntil(
        [changes] { return orvsim::TraceCount("ORV::CRegMonitor", "WaitForChange") > changes; });
}

class OobeWaitTest : public ServiceScenario {};

TEST_F(OobeWaitTest, WaitsForTheExactImageStateAndThenForOobe) {
    SetImageState(L"IMAGE_STATE_UNDEPLOYABLE");
    orvsim::ArrangeOobeCompletedAfter(2);
    StartService();
    ASSERT_TRUE(
        WaitForMessage(Line(scope::kImageState, L"Waiting for Image State to be completed")));
    const std::vector<std::string> watch = ArgumentsOf("ORV::CRegMonitor", "AddMonitorKey");
    ASSERT_GE(watch.size(), 4U);
    EXPECT_EQ(watch[0], "HKEY_LOCAL_MACHINE");
    EXPECT_EQ(watch[2], "ImageState");
    EXPECT_EQ(watch[3], "0");

    // Neither the lower-case text nor the text with one blank more counts.
    SetImageState(L"image_state_complete");
    ASSERT_TRUE(WaitForHandledChanges(1));
    SetImageState(L"IMAGE_STATE_COMPLETE ");
    ASSERT_TRUE(WaitForHandledChanges(2));
    EXPECT_FALSE(Logged(L"OrvClientService::IsImageStateComplete: Image State completed"));
    EXPECT_FALSE(Logged(Line(scope::kWorker, L"Start")));

    SetImageState(L"IMAGE_STATE_COMPLETE");
    ASSERT_TRUE(WaitForMessage(Line(scope::kOnStart, L"Service started")));
    EXPECT_EQ(CountOf(Line(scope::kWaitOobe, L"IsOOBECompleted indicates failed")), 2);
    EXPECT_TRUE(
        LoggedAt(Line(scope::kWaitOobe, L"IsOOBECompleted indicates failed"), ORV::Log::kError));
    EXPECT_TRUE(LoggedInOrder({
        L"OrvClientService::IsImageStateComplete: Image State completed",
        Line(scope::kWaitOobe, L"IsOOBECompleted indicates failed"),
        Line(scope::kWaitOobe, L"IsOOBECompleted indicates failed"),
        Line(scope::kWaitOobe, L"IsOOBECompleted indicates success."),
        Line(scope::kOnStart, L"Service started"),
    }));
    EXPECT_FALSE(Logged(Line(scope::kWaitOobe, L"Image state check failed.")));
}

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

    EXPECT_TRUE(LoggedInOrder({
        Line(scope::kStopProbe, L"Calling Uninit"),
        Line(scope::kStopProbe, L"Completed Uninit"),
        Line(scope::kWaitOobe, L"Service stop initiated. Exiting loop."),
        Line(scope::kOnStart, L"Setting an event for service start"),
    }));
    EXPECT_EQ(ThreadOf(Line(scope::kWaitOobe, L"Service stop initiated. Exiting loop.")),
              ThreadOf(Line(scope::kOnStart, L"Setting an event for service start")));
    // The cleanup found no worker, took the agents down itself and waited for the start.
    EXPECT_TRUE(LoggedInOrder(
        {Line(scope::kCleanup, L"calling uninit"), Line(scope::kCleanup, L"completed uninit")}));
    EXPECT_TRUE(Logged(Line(scope::kCleanup, L"wait for service to start fully")));
    EXPECT_EQ(CountOf(Line(scope::kUnInit, L"Service stop event received")), 1);
    EXPECT_EQ(CountOf(Line(scope::kUnInit, L"uninit already triggered")), 1);
    EXPECT_FALSE(Logged(Line(scope::kOnStart, L"Service started")));
    EXPECT_FALSE(Logged(Line(scope::kWorker, L"Start")));
    EXPECT_TRUE(Logged(Line(scope::kOnStop, L"Service stopped")));
}

TEST_F(OobeWaitTest, StopDuringTheImageStateWatchIsSeenAtTheNextChange) {
    // Slower than usual: the change must be seen within the cleanup's 10 s wait for the start,
    // after which the cleanup stops the registry monitor.
    winsim::clock::SetScale(2.0);
    SetImageState(L"IMAGE_STATE_UNDEPLOYABLE");
    StartService();
    ASSERT_TRUE(
        WaitForMessage(Line(scope::kImageState, L"Waiting for Image State to be completed")));
    StopServiceInBackground();
    ASSERT_TRUE(WaitForMessage(Line(scope::kCleanup, L"completed uninit")));

    SetImageState(L"IMAGE_STATE_SPECIALIZE_RESEAL_TO_OOBE");
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

TEST_F(OobeWaitTest, StopDuringAnImageStateWatchThatSeesNoChangeStillEnds) {
    SetImageState(L"IMAGE_STATE_UNDEPLOYABLE");
    StartService();
    ASSERT_TRUE(
        WaitForMessage(Line(scope::kImageState, L"Waiting for Image State to be completed")));
    // The cleanup waits its 10 s for the start, then stops the registry monitor, which ends
    // the watch.
    StopService();
    EXPECT_TRUE(LoggedInOrder({
        Line(scope::kCleanup, L"wait for service to start fully"),
        Line(scope::kWaitOobe, L"Image state check failed."),
    }));
    EXPECT_FALSE(Logged(Line(scope::kWorker, L"Start")));
    EXPECT_TRUE(Logged(Line(scope::kOnStop, L"Service stopped")));
}

}  // namespace
}  // namespace orvtest
