#pragma once
// The suite's tests all drive the one service "ORVService" through the machine's own service
// manager; each test installs it, and the fixture removes it again, passed or failed.

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "service_manager_host.h"
#include "service_manager_log.h"
#include "service_manager_platform.h"
#include "service_manager_status.h"

namespace scm_suite {

// Log lines (message parts) that mark the stages of a run of the service.
namespace lines {
inline constexpr char kWorkerStart[] = "OrvClientService::OrvWorkerThread: Start";
inline constexpr char kFullInitSignaled[] =
    "OrvClientService::OrvWorkerThread: FullInit event signaled";
inline constexpr char kFullyInitialized[] =
    "OrvClientService::OrvWorkerThread: Waiting on service stop event";
inline constexpr char kStopping[] = "OrvClientService::OnStop: Service is stopping";
inline constexpr char kCleanupExit[] = "OrvClientService::Cleanup: Exit";
inline constexpr char kStopped[] = "OrvClientService::OnStop: Service stopped";
inline constexpr char kStopWaitDone[] = "OnStop Wait timeout completed";
}  // namespace lines

inline constexpr auto kStartLimit = std::chrono::seconds(60);
inline constexpr auto kFullInitLimit = std::chrono::seconds(60);
inline constexpr auto kStopLimit = std::chrono::seconds(60);
inline constexpr auto kLogLineLimit = std::chrono::seconds(20);

// The host's exit code for an install that lacks some of the service's settings.
inline constexpr unsigned long kPartialInstallExitCode = 3;

// Wine's service manager refuses SERVICE_CONFIG_FAILURE_ACTIONS_FLAG (ERROR_INVALID_LEVEL), so
// under Wine the host can only install without it, and says so.
bool PartialInstallUnderWine(const HostRun& run);

// Prints `ORV-DURATION <name>=<ms>` (collected from the test output) and records it, with the
// states seen on the way as `ORV-STATES <name>: ...`.
void ReportDuration(const std::string& name, const StateTrace& trace);

class ServiceManagerTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // `orvsvc.exe install`, which must succeed (under Wine, as far as Wine allows); opens the
    // service.
    void Install();
    // Start type 3 (demand), as an administrator may have set it.
    void SetDemandStart();
    // Starts the service and polls until RUNNING, adding the states seen to `trace`.
    void Start(StateTrace& trace, const std::string& durationName);
    // Waits for the worker thread's full initialisation in the log written since Start.
    void WaitForFullInit();
    // Stops the service and polls until STOPPED, adding the states seen to `trace`; the log
    // mark moves to the stop.
    void Stop(StateTrace& trace, const std::string& durationName);
    // The take-down lines, in order, in the log written since Stop began.
    ::testing::AssertionResult TookDown() const;
    // The process that ran the service has ended.
    ::testing::AssertionResult ProcessEnded();

    ServiceLog log_{HostFolder() / L"OrvService.log"};
    ServiceHandle service_;
    KernelHandle process_;  // of the running service: its id cannot be reused while held
    DWORD processId_ = 0;
};

}  // namespace scm_suite
