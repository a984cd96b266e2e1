// Service controls: the client's own codes, forwarding to the event manager, the standard
// controls the service acts on, and the control path when the pool or a work object is missing.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstring>
#include <vector>

#include "service/entry_points.h"
#include "service_fixture.h"
#include "sim/client/control.h"
#include "sim/common_base/control.h"
#include "winapi/sim/control.h"

namespace orvtest {
namespace {

constexpr DWORD kDiagnostics = 210;
constexpr DWORD kDiagnosticsAlternate = 211;
constexpr DWORD kMaintenance = 220;
constexpr DWORD kMaintenanceAlternate = 221;

std::wstring Control(std::wstring_view text) {
    return Line(scope::kControl, text);
}

bool WaitForForwarded(std::size_t count) {
    return WaitUntil([count] { return orvsim::ForwardedControls().size() >= count; });
}

std::vector<DWORD> ForwardedCodes() {
    std::vector<DWORD> codes;
    for (const orvsim::ForwardedControl& forwarded : orvsim::ForwardedControls()) {
        codes.push_back(forwarded.control);
    }
    return codes;
}

// A POWERBROADCAST_SETTING as Windows lays it out: the data follows the header.
std::vector<std::uint64_t> PowerSettingRecord(const std::vector<std::uint8_t>& data) {
    const std::size_t offset = offsetof(POWERBROADCAST_SETTING, Data);
    std::vector<std::uint64_t> storage(offset / sizeof(std::uint64_t) + data.size() + 1);
    auto* record = reinterpret_cast<POWERBROADCAST_SETTING*>(storage.data());
    record->PowerSetting =
        GUID{0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
    record->DataLength = static_cast<DWORD>(data.size());
    std::memcpy(reinterpret_cast<std::uint8_t*>(storage.data()) + offset, data.data(), data.size());
    return storage;
}

class ControlDispatchTest : public ServiceScenario {};

TEST_F(ControlDispatchTest, ClientCodesAreIgnoredUntilTheServiceHasStarted) {
    orvsim::ArrangeOobeNeverCompleted();
    StartService();
    ASSERT_TRUE(WaitForMessage(Line(scope::kWaitOobe, L"IsOOBECompleted indicates failed")));
    for (DWORD code : {kDiagnostics, kDiagnosticsAlternate, kMaintenance, kMaintenanceAlternate}) {
        EXPECT_EQ(OnServiceControlHandle(code, 0, nullptr, nullptr), 0U);
    }
    // The standard controls already work.
    Host().SendPowerEvent(PBT_APMRESUMEAUTOMATIC);
    ASSERT_TRUE(WaitForPublished(11, 14));

    EXPECT_FALSE(WaitForTraced("DiagnosticsManager", "StartDiagnosticsScan", kQuietPeriod));
    EXPECT_EQ(orvsim::TraceCount("AppAndTagCollection", "RefreshTags"), 0U);
    EXPECT_EQ(PublishedCount(7, 1) + PublishedCount(7, 2), 0);
    EXPECT_TRUE(MessagesStartingWith(scope::kControl).empty());
}

TEST_F(ControlDispatchTest, ClientCodesWorkOnceStartedAndAreForwardedOnlyWhenFullyInitialised) {
    orvsim::ArrangeFullInitSignal({.enabled = false});
    StartService();
    ASSERT_TRUE(WaitForMessage(Line(scope::kWorker, L"Waiting for FullInit event")));

    Host().SendControl(kDiagnostics);
    ASSERT_TRUE(WaitForMessage(Control(L"ORV diagnostics completed")));
    EXPECT_TRUE(LoggedInOrder(
        {Control(L"Diagnostics called with 210"), Control(L"ORV diagnostics completed")}));
    EXPECT_EQ(ArgumentsOf("DiagnosticsManager", "StartDiagnosticsScan").at(0), "210");

    Host().SendControl(kMaintenance);
    ASSERT_TRUE(WaitForTraced("ORV::OrvStatusManager", "ClearAllErrors"));
    EXPECT_TRUE(TracedInOrder({"AppAndTagCollection::RefreshTags", "ORVPublisherSubscriber::Notify",
                               "orv::ORVHelperFactory::GetOrvStatusManager",
                               "ORV::OrvStatusManager::ClearAllErrors"}));
    EXPECT_EQ(ArgumentsOf("AppAndTagCollection", "RefreshTags").at(0),
              orvsim::TraceText(static_cast<const void*>(ServiceStopEvent())));
    EXPECT_EQ(ArgumentsOf("AppAndTagCollection", "RefreshTags").at(1), "false");
    EXPECT_EQ(PublishedCount(7, 1), 1);

    Host().SendControl(kMaintenanceAlternate);
    ASSERT_TRUE(WaitForPublished(7, 2));
    EXPECT_EQ(CountOf(Control(L"Notifying agents as Maintenance task triggered")), 2);
    EXPECT_TRUE(ForwardedCodes().empty());

    orvsim::Publish(4, 19);
    ASSERT_TRUE(Host().WaitForFullInit(kEventually));
    Host().SendControl(kDiagnosticsAlternate);
    ASSERT_TRUE(WaitUntil([] {
        const std::vector<DWORD> codes = ForwardedCodes();
        return std::find(codes.begin(), codes.end(), kDiagnosticsAlternate) != codes.end();
    }));
    EXPECT_TRUE(Logged(Control(L"Diagnostics called with 211")));
    // A control still on its way when the agents became fully initialised may be forwarded
    // too, but no control was forwarded before.
    const std::uint64_t fullyInitialised =
        orvsim::TraceOf("AgentInitializer", "FullInitializeAllAgentsDone").at(0).sequence;
    for (const orvsim::TraceEntry& entry : orvsim::TraceOf("EventManager", "OnServiceControl")) {
        EXPECT_GT(entry.sequence, fullyInitialised) << entry.arguments.at(0);
    }
}

TEST_F(ControlDispatchTest, ShutdownOnlyInformsTheAppSettingsAgentAndEveryControlReturnsZero) {
    StartUntilFullyInitialized();
    // A time change without its data is ignored, apart from the forwarding.
    for (DWORD code :
         {DWORD{SERVICE_CONTROL_SHUTDOWN}, DWORD{SERVICE_CONTROL_STOP},
          DWORD{SERVICE_CONTROL_INTERROGATE}, DWORD{SERVICE_CONTROL_TIMECHANGE}, DWORD{9999}}) {
        EXPECT_EQ(OnServiceControlHandle(code, 0, nullptr, nullptr), 0U) << code;
    }
    ASSERT_TRUE(WaitForTraced("GeneralAppSettingsAgent", "shutdownInitiated"));
    ASSERT_TRUE(WaitForForwarded(5));

    // Controls may be handled in any order.
    std::vector<DWORD> forwarded = ForwardedCodes();
    std::sort(forwarded.begin(), forwarded.end());
    EXPECT_EQ(forwarded,
              (std::vector<DWORD>{SERVICE_CONTROL_STOP, SERVICE_CONTROL_INTERROGATE,
                                  SERVICE_CONTROL_SHUTDOWN, SERVICE_CONTROL_TIMECHANGE, 9999}));
    EXPECT_EQ(orvsim::TraceCount("GeneralAppSettingsAgent", "shutdownInitiated"), 1U);
    // A plain shutdown is no stop.
    EXPECT_FALSE(WaitForMessage(Line(scope::kCleanup, L"Enter"), kQuietPeriod));
    EXPECT_TRUE(winsim::services::StatusReports().empty());
    EXPECT_TRUE(MessagesStartingWith(scope::kControl).empty());
}

TEST_F(ControlDispatchTest, PowerEventsPublishOnlyOnResumeAndReachTheEventManagerWithTheirData) {
    StartUntilFullyInitialized();
    std::vector<std::uint64_t> setting = PowerSettingRecord({1, 2, 3});
    Host().SendControl(SERVICE_CONTROL_POWEREVENT, PBT_POWERSETTINGCHANGE, setting.data());
    setting.assign(setting.size(), 0xdd);  // the service works on its own copy
    Host().SendPowerEvent(PBT_APMSUSPEND);
    Host().SendPowerEvent(PBT_APMRESUMEAUTOMATIC);
    ASSERT_TRUE(WaitForForwarded(3));
    ASSERT_TRUE(WaitForPublished(11, 14));

    bool sawSetting = false;
    for (const orvsim::ForwardedControl& forwarded : orvsim::ForwardedControls()) {
        EXPECT_EQ(forwarded.control, static_cast<DWORD>(SERVICE_CONTROL_POWEREVENT));
        EXPECT_EQ(forwarded.hasEventData, forwarded.eventType == PBT_POWERSETTINGCHANGE);
        sawSetting |= forwarded.eventType == PBT_POWERSETTINGCHANGE;
    }
    EXPECT_TRUE(sawSetting);
    int powerTopics = 0;
    for (const orvsim::Publication& publication : orvsim::Publications()) {
        powerTopics += publication.topicId == 11 ? 1 : 0;
    }
    EXPECT_EQ(powerTopics, 1);
}

TEST_F(ControlDispatchTest, WithoutAPrivatePoolControlsAreStillHandled) {
    winsim::failures::FailNext(winsim::failures::Call::CreateThreadpool, 1,
                               ERROR_NOT_ENOUGH_MEMORY);
    StartUntilFullyInitialized();
    Host().SendControl(kMaintenanceAlternate);
    EXPECT_TRUE(WaitForPublished(7, 2));
}

TEST_F(ControlDispatchTest, ControlWithoutAWorkObjectIsDroppedWithALine) {
    StartUntilFullyInitialized();
    winsim::failures::FailNext(winsim::failures::Call::CreateThreadpoolWork, 1,
                               ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(OnServiceControlHandle(kMaintenanceAlternate, 0, nullptr, nullptr), 0U);
    EXPECT_TRUE(LoggedAt(L"OnServiceControlHandle: control 221 dropped: no work object (error 8)",
                         ORV::Log::kError));
    // The next control is handled as usual; the dropped one never is.
    Host().SendControl(kMaintenance);
    ASSERT_TRUE(WaitForPublished(7, 1));
    EXPECT_FALSE(WaitForPublished(7, 2, kQuietPeriod));
}

TEST_F(ControlDispatchTest, ControlRunningDuringTheStopKeepsItsServiceUntilItEnds) {
    orvsim::ArrangeDiagnosticsScanDuration(1h);
    StartUntilFullyInitialized();
    Host().SendControl(kDiagnostics);
    ASSERT_TRUE(WaitForTraced("DiagnosticsManager", "StartDiagnosticsScan"));

    // The stop event cuts the scan short; the control finishes on the service before the
    // service object goes.
    StopService();
    EXPECT_EQ(ArgumentsOf("DiagnosticsManager", "StartDiagnosticsScanDone").at(0), "stopped");
    EXPECT_TRUE(Logged(Control(L"ORV diagnostics completed")));
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
