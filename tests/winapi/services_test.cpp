// The service control manager: opening, configuration changes mirrored in the registry,
// status reports.

#include <gtest/gtest.h>

#include <optional>

#include "arrange.h"
#include "winapi/windows_api.h"

namespace {

constexpr const wchar_t* kServiceKey = L"SYSTEM\\CurrentControlSet\\Services\\OrvService";

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

    static std::optional<DWORD> ReadDword(const wchar_t* name) {
        DWORD value = 0;
        DWORD size = sizeof(value);
        if (RegGetValueW(HKEY_LOCAL_MACHINE, kServiceKey, name, RRF_RT_REG_DWORD, nullptr, &value,
                         &size) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        return value;
    }

    SC_HANDLE scm_ = nullptr;
};

TEST_F(ServiceManagerTest, UnknownServiceDoesNotExist) {
    EXPECT_EQ(OpenServiceW(scm_, L"NoSuchService", SERVICE_ALL_ACCESS), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST));
    EXPECT_EQ(OpenServiceW(nullptr, L"OrvService", SERVICE_ALL_ACCESS), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(ServiceManagerTest, ConfigurationChangesAreMirroredInTheServiceKey) {
    SC_HANDLE service = OpenServiceW(scm_, L"ORVService", SERVICE_ALL_ACCESS);
    ASSERT_NE(service, nullptr) << "service names compare without regard to case";
    EXPECT_FALSE(ReadDword(L"DelayedAutostart").has_value());

    SERVICE_DELAYED_AUTO_START_INFO delayed{TRUE};
    ASSERT_TRUE(ChangeServiceConfig2W(service, SERVICE_CONFIG_DELAYED_AUTO_START_INFO, &delayed));
    EXPECT_EQ(ReadDword(L"DelayedAutostart"), 1u);
    EXPECT_EQ(ReadDword(L"Start"), static_cast<DWORD>(SERVICE_DEMAND_START))
        << "the start type is untouched";

    delayed.fDelayedAutostart = FALSE;
    ASSERT_TRUE(ChangeServiceConfig2W(service, SERVICE_CONFIG_DELAYED_AUTO_START_INFO, &delayed));
    EXPECT_EQ(ReadDword(L"DelayedAutostart"), 0u);

    ASSERT_TRUE(ChangeServiceConfigW(service, SERVICE_NO_CHANGE, SERVICE_AUTO_START,
                                     SERVICE_NO_CHANGE, nullptr, nullptr, nullptr, nullptr, nullptr,
                                     nullptr, nullptr));
    EXPECT_EQ(ReadDword(L"Start"), static_cast<DWORD>(SERVICE_AUTO_START));
    EXPECT_EQ(ReadDword(L"Type"), static_cast<DWORD>(SERVICE_WIN32_OWN_PROCESS));
    EXPECT_EQ(ReadDword(L"ErrorControl"), static_cast<DWORD>(SERVICE_ERROR_NORMAL));
    CloseServiceHandle(service);
}

TEST_F(ServiceManagerTest, InvalidChangesAndMissingRightsFail) {
    SC_HANDLE reader = OpenServiceW(scm_, L"OrvService", SERVICE_QUERY_STATUS);
    ASSERT_NE(reader, nullptr);
    SERVICE_DELAYED_AUTO_START_INFO delayed{TRUE};
    EXPECT_FALSE(ChangeServiceConfig2W(reader, SERVICE_CONFIG_DELAYED_AUTO_START_INFO, &delayed));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    CloseServiceHandle(reader);

    SC_HANDLE service = OpenServiceW(scm_, L"OrvService", SERVICE_ALL_ACCESS);
    EXPECT_FALSE(ChangeServiceConfigW(service, SERVICE_NO_CHANGE, SERVICE_BOOT_START,
                                      SERVICE_NO_CHANGE, nullptr, nullptr, nullptr, nullptr,
                                      nullptr, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER))
        << "boot start is for drivers";
    EXPECT_FALSE(ChangeServiceConfig2W(service, 99, &delayed));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_LEVEL));
    EXPECT_FALSE(ChangeServiceConfigW(scm_, SERVICE_NO_CHANGE, SERVICE_AUTO_START,
                                      SERVICE_NO_CHANGE, nullptr, nullptr, nullptr, nullptr,
                                      nullptr, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE))
        << "a manager handle is no service";
    EXPECT_EQ(ReadDword(L"Start"), static_cast<DWORD>(SERVICE_DEMAND_START));

    EXPECT_TRUE(CloseServiceHandle(service));
    EXPECT_FALSE(CloseServiceHandle(service));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

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
    ASSERT_TRUE(QueryServiceStatus(service, &now));
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
