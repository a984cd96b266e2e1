// `orvsvc.exe install` as the service manager sees it afterwards: the service it registers
// and its refusal to register it twice.

#include <gtest/gtest.h>

#include <filesystem>
#include <system_error>

#include "service_manager_fixture.h"
#include "service_manager_platform.h"
#include "service_manager_scm.h"

namespace scm_suite {
namespace {

class ServiceInstallTest : public ServiceManagerTest {};

TEST_F(ServiceInstallTest, SucceedsWithEverySetting) {
    const HostRun run = RunHost(L"install");
    ASSERT_TRUE(run.finished) << run.Describe();
    if (PartialInstallUnderWine(run)) {
        GTEST_SKIP() << "Wine's ChangeServiceConfig2W refuses SERVICE_CONFIG_FAILURE_ACTIONS_FLAG "
                        "(ERROR_INVALID_LEVEL); the host installed without it: "
                     << run.Describe();
    }
    EXPECT_EQ(run.exitCode, 0ul) << "orvsvc.exe install: " << run.Describe();
}

TEST_F(ServiceInstallTest, RegistersAnAutoStartOwnProcessServiceRunningTheHost) {
    ASSERT_NO_FATAL_FAILURE(Install());
    DWORD error = ERROR_SUCCESS;
    const auto config = QueryConfig(service_.get(), error);
    ASSERT_TRUE(config) << "QueryServiceConfigW failed with error " << error;
    EXPECT_EQ(config->serviceType, static_cast<DWORD>(SERVICE_WIN32_OWN_PROCESS)) << "service type";
    EXPECT_EQ(config->startType, static_cast<DWORD>(SERVICE_AUTO_START)) << "start type";

    const std::wstring& path = config->binaryPath;
    std::error_code failed;
    EXPECT_TRUE(std::filesystem::equivalent(Unquoted(path), HostPath(), failed))
        << "binary path " << Narrow(path) << " is not the host at " << HostPath().string()
        << (failed ? " (" + failed.message() + ")" : std::string());
    if (path.find(L' ') != std::wstring::npos) {
        // Unquoted, Windows would try each blank-cut prefix of the path as a program first.
        EXPECT_EQ(path.front(), L'"') << "binary path with blanks, unquoted: " << Narrow(path);
    }

    const auto description = QueryConfig2(service_.get(), SERVICE_CONFIG_DESCRIPTION, error);
    ASSERT_FALSE(description.empty())
        << "QueryServiceConfig2W(SERVICE_CONFIG_DESCRIPTION) failed with error " << error;
    const auto* text = reinterpret_cast<const SERVICE_DESCRIPTIONW*>(description.data());
    EXPECT_TRUE(text->lpDescription != nullptr && *text->lpDescription != L'\0')
        << "the service has no description";
}

TEST_F(ServiceInstallTest, SecondInstallRefusesAndLeavesTheServiceAsItWas) {
    ASSERT_NO_FATAL_FAILURE(Install());
    ASSERT_NO_FATAL_FAILURE(SetDemandStart());

    const HostRun again = RunHost(L"install");
    ASSERT_TRUE(again.finished) << again.Describe();
    EXPECT_NE(again.exitCode, 0ul) << "second install: " << again.Describe();
    EXPECT_FALSE(again.output.empty()) << "second install refused without a word";

    DWORD error = ERROR_SUCCESS;
    ServiceHandle still = OpenOrvService(SERVICE_QUERY_CONFIG, &error);
    ASSERT_TRUE(still) << "after the refused install, OpenServiceW failed with error " << error;
    const auto config = QueryConfig(still.get(), error);
    ASSERT_TRUE(config) << "QueryServiceConfigW failed with error " << error;
    // A refusing install that deleted and re-created the service would bring back auto start.
    EXPECT_EQ(config->startType, static_cast<DWORD>(SERVICE_DEMAND_START))
        << "the refused install changed the start type";
}

TEST_F(ServiceInstallTest, GivesTheLibraryTimeToStopBeforeShutdown) {
    ASSERT_NO_FATAL_FAILURE(Install());
    DWORD error = ERROR_SUCCESS;
    const auto info = QueryConfig2(service_.get(), SERVICE_CONFIG_PRESHUTDOWN_INFO, error);
    if (info.empty() && error == ERROR_INVALID_LEVEL && UnderWine()) {
        GTEST_SKIP() << "Wine's service manager does not implement SERVICE_CONFIG_PRESHUTDOWN_INFO";
    }
    ASSERT_FALSE(info.empty())
        << "QueryServiceConfig2W(SERVICE_CONFIG_PRESHUTDOWN_INFO) failed with error " << error;
    const auto* preshutdown = reinterpret_cast<const SERVICE_PRESHUTDOWN_INFO*>(info.data());
    // The library's stop sleeps 2 s and may wait 10 s more for a start still under way.
    EXPECT_GE(preshutdown->dwPreshutdownTimeout, 12000ul) << "pre-shutdown time-out in ms";
}

TEST_F(ServiceInstallTest, RestartsTheServiceAfterAFailure) {
    ASSERT_NO_FATAL_FAILURE(Install());
    DWORD error = ERROR_SUCCESS;
    const auto info = QueryConfig2(service_.get(), SERVICE_CONFIG_FAILURE_ACTIONS, error);
    if (info.empty() && error == ERROR_INVALID_LEVEL && UnderWine()) {
        GTEST_SKIP() << "Wine's service manager does not keep failure actions: "
                        "QueryServiceConfig2W(SERVICE_CONFIG_FAILURE_ACTIONS) answers "
                        "ERROR_INVALID_LEVEL";
    }
    ASSERT_FALSE(info.empty())
        << "QueryServiceConfig2W(SERVICE_CONFIG_FAILURE_ACTIONS) failed with error " << error;
    const auto* actions = reinterpret_cast<const SERVICE_FAILURE_ACTIONSW*>(info.data());
    ASSERT_GT(actions->cActions, 0ul) << "no failure actions";
    EXPECT_EQ(actions->lpsaActions[0].Type, SC_ACTION_RESTART)
        << "first failure action, delay " << actions->lpsaActions[0].Delay << " ms";
}

}  // namespace
}  // namespace scm_suite
