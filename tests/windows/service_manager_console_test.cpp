// The host's console verb, which runs the library in a terminal without the service manager,
// and the host's answer to arguments it does not know.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "service_manager_fixture.h"
#include "winapi/windows_api.h"

namespace scm_suite {
namespace {

constexpr unsigned long kUsageExitCode = 2;
constexpr auto kStopAfter = std::chrono::seconds(4);

class HostConsoleTest : public ServiceManagerTest {
  protected:
    // The console run writes its OrvService.log into its working directory: a fresh one, so
    // that the service's own log beside the host stays apart.
    void SetUp() override {
        ServiceManagerTest::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        wchar_t temp[MAX_PATH + 1] = {};
        ASSERT_NE(GetTempPathW(MAX_PATH + 1, temp), 0ul) << "GetTempPathW: " << GetLastError();
        directory_ = std::filesystem::path(temp) /
                     (L"orvsvc-console-" + std::to_wstring(GetCurrentProcessId()));
        std::error_code failed;
        std::filesystem::create_directories(directory_, failed);
        ASSERT_FALSE(failed) << "cannot make " << directory_.string() << ": " << failed.message();
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(directory_, ignored);
        ServiceManagerTest::TearDown();
    }

    std::filesystem::path directory_;
};

TEST_F(HostConsoleTest, RunsTheLibraryUntilStopAfterAndCopiesItsLog) {
    const HostRun run = RunHost(L"console --stop-after " + std::to_wstring(kStopAfter.count()),
                                directory_, std::chrono::seconds(120));
    ASSERT_TRUE(run.finished) << run.Describe();
    EXPECT_EQ(run.exitCode, 0ul) << run.Describe();
    EXPECT_GE(run.elapsed, kStopAfter) << "stopped before --stop-after: " << run.Describe();
    EXPECT_TRUE(ContainsInOrder(SplitLines(run.output),
                                {lines::kWorkerStart, lines::kStopping, lines::kCleanupExit,
                                 lines::kStopped, lines::kStopWaitDone}));
}

// Which arguments are refused is CommandLineTest's; here, that a refusal reaches the exit code.
TEST_F(HostConsoleTest, RejectsBadArgumentsWithUsage) {
    const HostRun run = RunHost(L"console --stop-after soon", directory_, std::chrono::seconds(30));
    ASSERT_TRUE(run.finished) << run.Describe();
    EXPECT_EQ(run.exitCode, kUsageExitCode) << run.Describe();
    EXPECT_NE(run.output.find("usage: orvsvc"), std::string::npos) << run.Describe();
}

}  // namespace
}  // namespace scm_suite
