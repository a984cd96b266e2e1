// Failure injection: each platform call the service checks can be made to fail the way
// Windows reports failure, and a failed call changes nothing. Failures aimed at the service's
// own module past a number of calls are checked end to end by the scenarios
// startup-type-change-event-not-created and service-events-not-created, a failed thread start
// by uninit-thread-start-fails, a failed EvtRender by TimeChangeTest.

#include <gtest/gtest.h>

#include "winapi/control/machine_control.h"
#include "winapi/windows_api.h"

namespace {

using winsim::failures::Call;

class FailureInjectionTest : public ::testing::Test {
  protected:
    void SetUp() override { winsim::ResetMachine(); }
};

TEST_F(FailureInjectionTest, CallsFailWithTheInjectedCodeAsOftenAsAskedAndChangeNothing) {
    winsim::failures::FailNext(Call::CreateThreadpool, 2, ERROR_NOT_ENOUGH_MEMORY);
    SetLastError(0);
    EXPECT_EQ(CreateThreadpool(nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_EQ(CreateThreadpool(nullptr), nullptr);
    PTP_POOL pool = CreateThreadpool(nullptr);
    EXPECT_NE(pool, nullptr);
    CloseThreadpool(pool);
    EXPECT_EQ(winsim::failures::CallCount(Call::CreateThreadpool), 3u);

    winsim::failures::FailNext(Call::CoInitializeEx, 1, E_OUTOFMEMORY);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), E_OUTOFMEMORY);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK)
        << "the failed call initialised nothing";
    CoUninitialize();

    winsim::failures::FailNext(Call::RegGetValue, 1, ERROR_ACCESS_DENIED);
    EXPECT_EQ(
        RegGetValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE", L"X", RRF_RT_ANY, nullptr, nullptr, nullptr),
        ERROR_ACCESS_DENIED);

    winsim::failures::FailNext(Call::CreateMutex, 1, ERROR_ACCESS_DENIED);
    EXPECT_EQ(CreateMutexW(nullptr, TRUE, L"Global\\_OrvRunningMutex"), nullptr);
    EXPECT_FALSE(winsim::objects::NamedObjectExists(L"Global\\_OrvRunningMutex"));

    HANDLE event = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    winsim::failures::FailNext(Call::Wait, 1, ERROR_INVALID_HANDLE);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    CloseHandle(event);

    winsim::services::Install(L"ORVService", {});
    winsim::failures::FailAlways(Call::OpenSCManager, ERROR_ACCESS_DENIED);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS), nullptr);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    }
    winsim::failures::Clear(Call::OpenSCManager);
    SC_HANDLE scm = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    ASSERT_NE(scm, nullptr);

    winsim::failures::FailNext(Call::OpenService, 1, ERROR_SERVICE_DOES_NOT_EXIST);
    EXPECT_EQ(OpenServiceW(scm, L"ORVService", SERVICE_ALL_ACCESS), nullptr);
    SC_HANDLE service = OpenServiceW(scm, L"ORVService", SERVICE_ALL_ACCESS);
    ASSERT_NE(service, nullptr);

    winsim::failures::FailNext(Call::ChangeServiceConfig2, 1, ERROR_ACCESS_DENIED);
    SERVICE_DELAYED_AUTO_START_INFO info{TRUE};
    EXPECT_FALSE(ChangeServiceConfig2W(service, SERVICE_CONFIG_DELAYED_AUTO_START_INFO, &info));
    EXPECT_EQ(winsim::services::Get(L"ORVService")->delayedAutoStart, std::nullopt)
        << "a failed change writes nothing";
    CloseServiceHandle(service);
    CloseServiceHandle(scm);
}

}  // namespace
