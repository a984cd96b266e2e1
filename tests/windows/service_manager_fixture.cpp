#include "service_manager_fixture.h"

#include <filesystem>
#include <iostream>

#include "service_manager_platform.h"
#include "service_manager_scm.h"

namespace scm_suite {

namespace {
constexpr auto kProcessEndLimit = std::chrono::seconds(30);
}

void ReportDuration(const std::string& name, const StateTrace& trace) {
    std::cout << "ORV-DURATION " << name << "=" << trace.elapsed.count() << std::endl;
    std::cout << "ORV-STATES " << name << ": " << DescribeStates(trace.states) << std::endl;
    ::testing::Test::RecordProperty(name, std::to_string(trace.elapsed.count()));
}

void ServiceManagerTest::SetUp() {
    ASSERT_TRUE(std::filesystem::exists(HostPath()))
        << "no service host at " << HostPath().string();
    const std::string setup = EnsureSetupFinished();
    ASSERT_TRUE(setup.empty()) << setup;
    const std::string leftover = RemoveService();
    if (!leftover.empty()) {
        std::cout << "note: removed a service left by an earlier run: " << leftover << std::endl;
    }
}

void ServiceManagerTest::TearDown() {
    service_.reset();
    const std::string removed = RemoveService();
    if (!removed.empty()) {
        std::cout << "cleanup: " << removed << std::endl;
    }
}

bool PartialInstallUnderWine(const HostRun& run) {
    return UnderWine() && run.finished && run.exitCode == kPartialInstallExitCode &&
           run.output.find("SERVICE_CONFIG_FAILURE_ACTIONS_FLAG") != std::string::npos;
}

void ServiceManagerTest::Install() {
    const HostRun run = RunHost(L"install");
    ASSERT_TRUE((run.finished && run.exitCode == 0) || PartialInstallUnderWine(run))
        << "orvsvc.exe install: " << run.Describe();
    DWORD error = ERROR_SUCCESS;
    service_ = OpenOrvService(SERVICE_ALL_ACCESS, &error);
    ASSERT_TRUE(service_) << "after install, OpenServiceW failed with error " << error;
}

void ServiceManagerTest::SetDemandStart() {
    ASSERT_TRUE(ChangeServiceConfigW(service_.get(), SERVICE_NO_CHANGE, SERVICE_DEMAND_START,
                                     SERVICE_NO_CHANGE, nullptr, nullptr, nullptr, nullptr, nullptr,
                                     nullptr, nullptr))
        << "ChangeServiceConfigW(SERVICE_DEMAND_START) failed with error " << GetLastError();
}

void ServiceManagerTest::Start(StateTrace& trace, const std::string& durationName) {
    log_.Mark();
    const auto begin = std::chrono::steady_clock::now();
    ASSERT_TRUE(StartServiceW(service_.get(), 0, nullptr))
        << "StartServiceW failed with error " << GetLastError() << "; log since:\n"
        << Excerpt(log_.Lines());
    trace = PollUntil(service_.get(), SERVICE_RUNNING, begin, kStartLimit, std::move(trace));
    ASSERT_TRUE(trace.reached) << "no RUNNING; " << trace.Describe() << "; log since:\n"
                               << Excerpt(log_.Lines());
    ReportDuration(durationName, trace);
    processId_ = trace.last.dwProcessId;
    process_.reset(OpenProcess(SYNCHRONIZE, FALSE, processId_));
    ASSERT_TRUE(process_) << "OpenProcess of the service's process " << processId_
                          << " failed with error " << GetLastError();
}

void ServiceManagerTest::WaitForFullInit() {
    ASSERT_TRUE(log_.WaitFor(lines::kFullyInitialized, kFullInitLimit));
    EXPECT_TRUE(ContainsInOrder(
        log_.Lines(), {lines::kWorkerStart, lines::kFullInitSignaled, lines::kFullyInitialized}));
}

void ServiceManagerTest::Stop(StateTrace& trace, const std::string& durationName) {
    log_.Mark();
    const auto begin = std::chrono::steady_clock::now();
    SERVICE_STATUS status{};
    ASSERT_TRUE(ControlService(service_.get(), SERVICE_CONTROL_STOP, &status))
        << "ControlService(SERVICE_CONTROL_STOP) failed with error " << GetLastError();
    trace.Add(status.dwCurrentState);
    trace = PollUntil(service_.get(), SERVICE_STOPPED, begin, kStopLimit, std::move(trace));
    ASSERT_TRUE(trace.reached) << "no STOPPED; " << trace.Describe() << "; log since:\n"
                               << Excerpt(log_.Lines());
    ReportDuration(durationName, trace);
}

::testing::AssertionResult ServiceManagerTest::TookDown() const {
    return ContainsInOrder(log_.Lines(), {lines::kStopping, lines::kCleanupExit, lines::kStopped,
                                          lines::kStopWaitDone});
}

::testing::AssertionResult ServiceManagerTest::ProcessEnded() {
    if (!process_) {
        return ::testing::AssertionFailure() << "no process was recorded at RUNNING";
    }
    const auto limit = std::chrono::duration_cast<std::chrono::milliseconds>(kProcessEndLimit);
    if (WaitForSingleObject(process_.get(), static_cast<DWORD>(limit.count())) != WAIT_OBJECT_0) {
        return ::testing::AssertionFailure()
               << "the service's process " << processId_ << " still runs " << limit.count()
               << " ms after STOPPED";
    }
    return ::testing::AssertionSuccess();
}

}  // namespace scm_suite
