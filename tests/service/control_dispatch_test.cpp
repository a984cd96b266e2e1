// Service controls where the shipped scenarios cannot look: when the client's codes are
// forwarded, controls without a private pool or a work object, and a control that holds a
// helper while the service stops.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

#include "service/entry_points.h"
#include "service_fixture.h"
#include "shared/client_vocabulary.h"
#include "sim/client/client_control.h"
#include "sim/common_base/common_base_control.h"
#include "winapi/control/machine_control.h"

namespace orvtest {
namespace {

using orv::control_codes::kDiagnosticsScanAlternate;
using orv::control_codes::kMaintenance;
using orv::control_codes::kMaintenanceAlternate;

class ControlDispatchTest : public ServiceScenario {};

TEST_F(ControlDispatchTest, ClientCodesWorkOnceStartedAndAreForwardedOnlyWhenFullyInitialised) {
    orvsim::ArrangeFullInitSignal({.enabled = false});
    StartService();
    ASSERT_TRUE(WaitForMessage(Line(scope::kWorker, L"Waiting for FullInit event")));

    Host().SendControl(kMaintenance);
    ASSERT_TRUE(WaitForTraced("ORV::OrvStatusManager", "ClearAllErrors"));
    EXPECT_EQ(ArgumentsOf("AppAndTagCollection", "RefreshTags").at(0),
              orvsim::TraceText(static_cast<const void*>(ServiceStopEvent())));
    EXPECT_TRUE(orvsim::ForwardedControls().empty());

    orvsim::Publish(orv::bus::kTopicConfigPolicy, orv::bus::kStateMayFullyInitialize);
    ASSERT_TRUE(Host().WaitForFullInit(kEventually));
    Host().SendControl(kDiagnosticsScanAlternate);
    ASSERT_TRUE(WaitUntil([] {
        const auto forwarded = orvsim::ForwardedControls();
        return std::any_of(forwarded.begin(), forwarded.end(),
                           [](const auto& f) { return f.control == kDiagnosticsScanAlternate; });
    }));
    // A control still on its way when the agents became fully initialised may be forwarded
    // too, but no control was forwarded before.
    const std::uint64_t fullyInitialised =
        orvsim::TraceOf("AgentInitializer", "FullInitializeAllAgentsDone").at(0).sequence;
    for (const orvsim::TraceEntry& entry : orvsim::TraceOf("EventManager", "OnServiceControl")) {
        EXPECT_GT(entry.sequence, fullyInitialised) << entry.arguments.at(0);
    }
}

TEST_F(ControlDispatchTest, WithoutAPrivatePoolControlsAreHandledAndWithoutAWorkObjectDropped) {
    winsim::failures::FailNext(winsim::failures::Call::CreateThreadpool, 1,
                               ERROR_NOT_ENOUGH_MEMORY);
    StartUntilFullyInitialized();
    winsim::failures::FailNext(winsim::failures::Call::CreateThreadpoolWork, 1,
                               ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(OnServiceControlHandle(kMaintenanceAlternate, 0, nullptr, nullptr), 0U);
    EXPECT_TRUE(LoggedAt(L"OnServiceControlHandle: control 221 dropped: no work object (error 8)",
                         ORV::Log::kError));
    // The next control is handled as usual; the dropped one never is.
    Host().SendControl(kMaintenance);
    ASSERT_TRUE(WaitForPublished(orv::bus::kTopicMaintenance, 1));
    EXPECT_FALSE(WaitForPublished(orv::bus::kTopicMaintenance, 2, kQuietPeriod));
}

TEST_F(ControlDispatchTest, StopReleasesTheHelperFactoryOnlyOnceARunningControlHasItsHelper) {
    StartUntilFullyInitialized();
    // The maintenance control is held inside the helper factory while the stop goes as far
    // as it can; the factory must not be released under it.
    std::atomic<bool> releasedUnderTheControl{true};
    orvsim::ArrangePause("orv::ORVHelperFactory", "GetOrvStatusManager", [&] {
        EXPECT_TRUE(WaitForTraced("ORVEventMonitor", "Shutdown"));
        releasedUnderTheControl =
            WaitForTraced("orv::ORVHelperFactory", "ReleaseInstance", kQuietPeriod);
    });
    Host().SendControl(kMaintenance);
    ASSERT_TRUE(WaitForTraced("orv::ORVHelperFactory", "GetOrvStatusManager"));
    StopServiceInBackground();
    WaitForBackgroundStop();

    EXPECT_FALSE(releasedUnderTheControl);
    // The control's copy keeps the status manager alive for its call after the release.
    EXPECT_TRUE(TracedInOrder(
        {"orv::ORVHelperFactory::GetOrvStatusManager", "orv::ORVHelperFactory::ReleaseInstance"}));
    EXPECT_EQ(orvsim::TraceCount("ORV::OrvStatusManager", "ClearAllErrors"), 1U);
    EXPECT_TRUE(Logged(Line(scope::kOnStop, L"Service stopped")));
}

}  // namespace
}  // namespace orvtest
