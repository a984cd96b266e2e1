// The service's run under the service manager: the states it reports on the way to RUNNING and
// the controls it accepts there, what the client does to its own service, stopping it, starting
// it again in a new process, and removing it with `orvsvc.exe uninstall`.

#include <gtest/gtest.h>

#include "service_manager_fixture.h"
#include "service_manager_scm.h"

namespace scm_suite {
namespace {

// The library's stop entry point sleeps 2000 ms before it waits for the client's take-down.
constexpr auto kLibraryStopAtLeast = std::chrono::milliseconds(2000);

class ServiceRunTest : public ServiceManagerTest {
  protected:
    // One run of the service from start to STOPPED, the client fully up in between.
    void RunOnce(StateTrace& trace, const std::string& startName, const std::string& stopName) {
        ASSERT_NO_FATAL_FAILURE(Start(trace, startName));
        ASSERT_NO_FATAL_FAILURE(WaitForFullInit());
        ASSERT_NO_FATAL_FAILURE(Stop(trace, stopName));
    }
};

TEST_F(ServiceRunTest, RunsThroughPendingStatesAndStopsAfterTakingTheClientDown) {
    ASSERT_NO_FATAL_FAILURE(Install());
    ASSERT_NO_FATAL_FAILURE(SetDemandStart());
    StateTrace trace;
    ASSERT_NO_FATAL_FAILURE(Start(trace, "start-to-running-ms"));
    EXPECT_TRUE(LegalOrder(trace.states, SERVICE_RUNNING));
    EXPECT_EQ(trace.last.dwServiceType, static_cast<DWORD>(SERVICE_WIN32_OWN_PROCESS));
    constexpr DWORD kAccepted = SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN |
                                SERVICE_ACCEPT_PRESHUTDOWN | SERVICE_ACCEPT_POWEREVENT |
                                SERVICE_ACCEPT_SESSIONCHANGE | SERVICE_ACCEPT_TIMECHANGE;
    EXPECT_EQ(trace.last.dwControlsAccepted & kAccepted, kAccepted)
        << std::hex << "controls accepted when RUNNING: 0x" << trace.last.dwControlsAccepted
        << ", missing 0x" << (kAccepted & ~trace.last.dwControlsAccepted);
    ASSERT_NO_FATAL_FAILURE(WaitForFullInit());
    ASSERT_NO_FATAL_FAILURE(Stop(trace, "stop-to-stopped-ms"));

    EXPECT_TRUE(LegalOrder(trace.states, SERVICE_STOPPED));
    EXPECT_GE(trace.elapsed, kLibraryStopAtLeast)
        << "STOPPED came sooner than the library's stop can end";
    EXPECT_EQ(trace.last.dwWin32ExitCode, static_cast<DWORD>(NO_ERROR)) << "exit code at STOPPED";
    // Checked at once: a host that reports STOPPED before the library's stop has returned
    // would not have these lines yet.
    EXPECT_TRUE(TookDown());
    EXPECT_TRUE(ProcessEnded());
}

TEST_F(ServiceRunTest, StartsAgainInANewProcessAndUninstalls) {
    ASSERT_NO_FATAL_FAILURE(Install());
    StateTrace first;
    ASSERT_NO_FATAL_FAILURE(RunOnce(first, "start-to-running-ms", "stop-to-stopped-ms"));
    ASSERT_TRUE(TookDown());
    ASSERT_TRUE(ProcessEnded());
    const DWORD firstProcess = processId_;
    // Held, so that the first process's id cannot be handed to the second.
    const KernelHandle firstHandle = std::move(process_);

    StateTrace second;
    ASSERT_NO_FATAL_FAILURE(RunOnce(second, "restart-to-running-ms", "restart-stop-to-stopped-ms"));
    EXPECT_NE(processId_, firstProcess) << "the second run reused the first's process";
    EXPECT_TRUE(LegalOrder(second.states, SERVICE_STOPPED));
    EXPECT_TRUE(TookDown());
    EXPECT_TRUE(ProcessEnded());

    // An open handle would only mark the service for deletion.
    service_.reset();
    const HostRun uninstall = RunHost(L"uninstall");
    ASSERT_TRUE(uninstall.finished && uninstall.exitCode == 0)
        << "orvsvc.exe uninstall: " << uninstall.Describe();
    DWORD error = ERROR_SUCCESS;
    EXPECT_FALSE(OpenOrvService(SERVICE_QUERY_STATUS, &error)) << "the service is still there";
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST))
        << "OpenServiceW after uninstall";

    const HostRun again = RunHost(L"uninstall");
    ASSERT_TRUE(again.finished) << again.Describe();
    EXPECT_NE(again.exitCode, 0ul) << "second uninstall: " << again.Describe();
    EXPECT_FALSE(again.output.empty()) << "second uninstall refused without a word";
}

// After its first successful registration the client brings its start type back in line
// with policy; with the default stand-ins that is plain automatic.
TEST_F(ServiceRunTest, RestoresAutomaticStartAfterRegistering) {
    ASSERT_NO_FATAL_FAILURE(Install());
    ASSERT_NO_FATAL_FAILURE(SetDemandStart());
    // The library reads the start type from the registry, not from the manager.
    ASSERT_EQ(ServiceRegistryDword(L"Start").value_or(0), static_cast<DWORD>(SERVICE_DEMAND_START))
        << "the manager did not record demand start in the service's registry key";

    StateTrace trace;
    ASSERT_NO_FATAL_FAILURE(Start(trace, "start-to-running-ms"));
    ASSERT_TRUE(log_.WaitFor(
        "OrvClientService::ChangeORVStartUpType: ORV Startup Type changed to Automatic",
        kFullInitLimit));
    EXPECT_EQ(CountContaining(log_.Lines(), "ORV Startup Type changed to Automatic Delay-Start"),
              0u)
        << "delayed start was changed though the stand-ins do not want it:\n"
        << Excerpt(log_.Lines());

    const auto start = ServiceRegistryDword(L"Start");
    ASSERT_TRUE(start) << "no Start value in the service's registry key";
    EXPECT_EQ(*start, static_cast<DWORD>(SERVICE_AUTO_START)) << "registry Start";
    DWORD error = ERROR_SUCCESS;
    const auto config = QueryConfig(service_.get(), error);
    ASSERT_TRUE(config) << "QueryServiceConfigW failed with error " << error;
    EXPECT_EQ(config->startType, static_cast<DWORD>(SERVICE_AUTO_START))
        << "start type the manager holds";
}

}  // namespace
}  // namespace scm_suite
