// Session changes where the shipped scenarios cannot look: logons handled at once, and a logon
// after a pre-shutdown released the helpers.

#include <gtest/gtest.h>

#include "platform/common_base/process_wrap.h"
#include "service_fixture.h"
#include "sim/client/client_control.h"
#include "sim/common_base/common_base_control.h"

namespace orvtest {
namespace {

class SessionTest : public ServiceScenario {};

TEST_F(SessionTest, LogonsHandledAtOnceEachRefreshTheMachineInformation) {
    StartUntilFullyInitialized();
    const std::string stopEvent = orvsim::TraceText(static_cast<const void*>(ServiceStopEvent()));
    orvsim::ClearTrace();
    constexpr DWORD kLogons = 64;  // the control pool runs up to 8 at once
    for (DWORD session = 1; session <= kLogons; ++session) {
        Host().SendSessionChange(WTS_SESSION_LOGON, session);
    }
    ASSERT_TRUE(WaitUntil([] {
        return orvsim::TraceCount("ApplicabilityEvaluator", "RefreshPersonaTagMonitoringDone") ==
               kLogons;
    }));
    EXPECT_EQ(orvsim::TraceCount("MachineInformation", "ReInitialize"), kLogons);
    EXPECT_FALSE(Logged(Line(scope::kControl, L"Not able to access Machine Information")));
    // The user process is tied to the service's stop event.
    EXPECT_EQ(ArgumentsOf("UserProcessAgent", "StartUserProcess").at(0), stopEvent);
}

TEST_F(SessionTest, LogonAfterAPreShutdownFindsNoMachineInformation) {
    StartUntilFullyInitialized();
    Host().SendControl(SERVICE_CONTROL_PRESHUTDOWN);
    ASSERT_TRUE(WaitForMessage(Line(scope::kControl, L"System pre-shutDown Exit")));

    // The cleanup has released the helpers: the logon goes on without them.
    orvsim::ClearTrace();
    Host().SendSessionChange(WTS_SESSION_LOGON, 2);
    ASSERT_TRUE(WaitForTraced("orv::ORVHelperFactory", "GetApplicablilityEvaluatorAgent"));
    EXPECT_TRUE(LoggedAt(Line(scope::kControl, L"Not able to access Machine Information"),
                         ORV::Log::kError));
    EXPECT_EQ(orvsim::TraceCount("MachineInformation", "ReInitialize"), 0U);
    orvsim::TraceSilence quiet;  // the test's look, not a call of the service
    EXPECT_EQ(ORV::ProcessWrap::GetActiveUserSessionId(), 2);
}

}  // namespace
}  // namespace orvtest
