// Failure injection: each platform call the service checks can be made to fail the way
// Windows reports failure.

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "arrange.h"
#include "winapi/thread_start.h"
#include "winapi/windows_api.h"

namespace {

using winsim::failures::Call;

class FailureInjectionTest : public ::testing::Test {
  protected:
    void SetUp() override { arrange::FreshMachine(); }
};

TEST_F(FailureInjectionTest, NextCallsFailThenCallsSucceedAgain) {
    winsim::failures::FailNext(Call::CreateThreadpool, 2, ERROR_NOT_ENOUGH_MEMORY);
    SetLastError(0);
    EXPECT_EQ(CreateThreadpool(nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_EQ(CreateThreadpool(nullptr), nullptr);
    PTP_POOL pool = CreateThreadpool(nullptr);
    EXPECT_NE(pool, nullptr);
    CloseThreadpool(pool);
    EXPECT_EQ(winsim::failures::CallCount(Call::CreateThreadpool), 3u);
}

TEST_F(FailureInjectionTest, AlwaysFailsUntilCleared) {
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

TEST_F(FailureInjectionTest, ComRegistryAndKernelObjectCallsFailWithTheInjectedCode) {
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
}

TEST_F(FailureInjectionTest, EventRenderingFails) {
    struct Outcome {
        BOOL rendered = TRUE;
        DWORD error = 0;
    } outcome;
    EVT_HANDLE subscription = EvtSubscribe(
        nullptr, nullptr, L"System", L"Event/System[EventID=1]", nullptr, &outcome,
        [](EVT_SUBSCRIBE_NOTIFY_ACTION, PVOID context, EVT_HANDLE event) -> DWORD {
            auto* o = static_cast<Outcome*>(context);
            DWORD used = 0;
            wchar_t buffer[2048];
            o->rendered = EvtRender(nullptr, event, EvtRenderEventXml, sizeof(buffer), buffer,
                                    &used, nullptr);
            o->error = GetLastError();
            return 0;
        },
        EvtSubscribeToFutureEvents);
    ASSERT_NE(subscription, nullptr);
    winsim::failures::FailAlways(Call::EvtRender, ERROR_EVT_INVALID_EVENT_DATA);
    winsim::ChangeSystemTime(std::chrono::minutes(5));
    winsim::eventlog::WaitUntilDelivered();
    EXPECT_FALSE(outcome.rendered);
    EXPECT_EQ(outcome.error, static_cast<DWORD>(ERROR_EVT_INVALID_EVENT_DATA));
    EvtClose(subscription);
}

// This test program's own file name, for aiming a failure at the calls made from it.
std::string ThisProgram() {
    return program_invocation_short_name;
}

TEST_F(FailureInjectionTest, AFailureAimedAtOneModuleSparesOtherCallersAndSkipsAsAsked) {
    // Aimed at a library that makes none of these calls: nothing fails, nothing is used up.
    winsim::failures::FailNext(Call::CreateEvent, 1, ERROR_NOT_ENOUGH_MEMORY, {"orvservice", 0});
    HANDLE spared = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    EXPECT_NE(spared, nullptr);
    CloseHandle(spared);

    // Aimed at this program, past its first two calls: only the third fails.
    winsim::failures::FailNext(Call::CreateEvent, 1, ERROR_NOT_ENOUGH_MEMORY, {ThisProgram(), 2});
    std::vector<HANDLE> events;
    for (int i = 0; i < 4; ++i) {
        SetLastError(0);
        events.push_back(CreateEventW(nullptr, FALSE, FALSE, nullptr));
        if (i == 2) {
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
        }
    }
    EXPECT_NE(events[0], nullptr);
    EXPECT_NE(events[1], nullptr);
    EXPECT_EQ(events[2], nullptr);
    EXPECT_NE(events[3], nullptr);
    for (HANDLE event : events) {
        if (event != nullptr) {
            CloseHandle(event);
        }
    }
    EXPECT_EQ(winsim::failures::CallCount(Call::CreateEvent), 5u);
}

TEST_F(FailureInjectionTest, AThreadStartFailsAsStdThreadDoesAndStartsNothing) {
    winsim::failures::FailNext(Call::CreateThread, 1, EAGAIN);
    std::atomic<bool> ran{false};
    try {
        std::thread refused = orvwin::StartThread([&ran] { ran = true; });
        refused.join();
        ADD_FAILURE() << "the thread start did not fail";
    } catch (const std::system_error& error) {
        EXPECT_EQ(error.code(), std::errc::resource_unavailable_try_again);
    }

    std::thread started = orvwin::StartThread([&ran] { ran = true; });
    started.join();
    EXPECT_TRUE(ran) << "only the arranged start failed";
}

}  // namespace
