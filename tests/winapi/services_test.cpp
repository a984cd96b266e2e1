// The simulated service control manager beyond what real Win32 shares with it (the contract
// tests cover opening and configuration): remote machines and status reports.

#include <gtest/gtest.h>

#include "arrange.h"
#include "winapi/windows_api.h"

namespace {

class ServiceManagerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        arrange::FreshMachine();
        winsim::services::ServiceConfig config;
        config.startType = SERVICE_DEMAND_START;
        winsim::services::Install(L"OrvService", config);
        scm_ = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
        ASSERT_NE(scm_, nullptr);
    }
    void TearDown() override { CloseServiceHandle(scm_); }

    SC_HANDLE scm_ = nullptr;
};

TEST_F(ServiceManagerTest, RemoteMachinesAndOtherDatabasesAreRefused) {
    EXPECT_EQ(OpenSCManagerW(L"\\\\elsewhere", nullptr, SC_MANAGER_CONNECT), nullptr);
    EXPECT_EQ(OpenSCManagerW(nullptr, L"ServicesFailed", SC_MANAGER_CONNECT), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DATABASE_DOES_NOT_EXIST));
    SC_HANDLE active = OpenSCManagerW(nullptr, SERVICES_ACTIVE_DATABASEW, SC_MANAGER_CONNECT);
    EXPECT_NE(active, nullptr);
    CloseServiceHandle(active);
}

TEST_F(ServiceManagerTest, EveryStatusReportIsRecorded) {
    const SERVICE_STATUS_HANDLE status_handle = winsim::services::StatusHandle(L"OrvService");
    SERVICE_STATUS running{
        SERVICE_WIN32_OWN_PROCESS, SERVICE_RUNNING, SERVICE_ACCEPT_STOP, 0, 0, 0, 0};
    SERVICE_STATUS stopped{SERVICE_WIN32_OWN_PROCESS, SERVICE_STOPPED, 0, 0, 0, 0, 0};
    ASSERT_TRUE(SetServiceStatus(status_handle, &running));
    ASSERT_TRUE(SetServiceStatus(status_handle, &stopped));

    SC_HANDLE service = OpenServiceW(scm_, L"OrvService", SERVICE_QUERY_STATUS);
    SERVICE_STATUS now{};
    EXPECT_TRUE(QueryServiceStatus(service, &now));
    EXPECT_EQ(now.dwCurrentState, static_cast<DWORD>(SERVICE_STOPPED));
    CloseServiceHandle(service);
    const auto reports = winsim::services::StatusReports();
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0].status.dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING));
    EXPECT_EQ(reports[1].status.dwCurrentState, static_cast<DWORD>(SERVICE_STOPPED));
    EXPECT_EQ(reports[1].threadId, GetCurrentThreadId());

    SERVICE_STATUS bogus{SERVICE_WIN32_OWN_PROCESS, 42, 0, 0, 0, 0, 0};
    EXPECT_FALSE(SetServiceStatus(status_handle, &bogus));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA));
    EXPECT_FALSE(SetServiceStatus(nullptr, &stopped));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(winsim::services::StatusReports().size(), 2u);
}

}  // namespace
