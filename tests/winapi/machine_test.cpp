// What only the simulated machine has: its scaled and moved clock, mutexes held by other
// processes, the reset between tests, and the wait for idle thread pools. Registry values and
// status reports that the machine arranges and records, and clock advances that end sleeps,
// are checked end to end by the service's tests and the scenarios.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "winapi/control/machine.h"
#include "winapi/control/machine_control.h"
#include "winapi/windows_api.h"

namespace {

using std::chrono::milliseconds;

class MachineTest : public ::testing::Test {
  protected:
    void SetUp() override { winsim::ResetMachine(); }
};

TEST_F(MachineTest, ScaledSleepsAndWaitsTakeTheirFullSimulatedTimeInAFractionOfRealTime) {
    winsim::clock::SetScale(200);
    const ULONGLONG before = GetTickCount64();
    const auto real = std::chrono::steady_clock::now();
    Sleep(30000);
    EXPECT_GE(GetTickCount64() - before, 30000u);
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    EXPECT_EQ(WaitForSingleObject(event, 10000), WAIT_TIMEOUT);
    EXPECT_GE(GetTickCount64() - before, 40000u);
    EXPECT_LT(std::chrono::steady_clock::now() - real, milliseconds(20000)) << "real time";

    // A wait that is running adopts a new scale.
    std::thread waiter([&] { EXPECT_EQ(WaitForSingleObject(event, 600000), WAIT_TIMEOUT); });
    Sleep(20);
    winsim::clock::SetScale(100000);
    waiter.join();
    EXPECT_LT(std::chrono::steady_clock::now() - real, milliseconds(60000)) << "real time";
    CloseHandle(event);
}

TEST_F(MachineTest, TimeChangeMovesWallClockButNotRelativeWaits) {
    const __time64_t before = _time64(nullptr);
    const ULONGLONG ticks = GetTickCount64();
    winsim::clock::MoveWallClock(std::chrono::hours(-2));
    EXPECT_NEAR(static_cast<double>(_time64(nullptr) - before), -7200.0, 5.0);
    EXPECT_LT(GetTickCount64() - ticks, 5000u);

    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread waiter([&] {
        const ULONGLONG start = GetTickCount64();
        EXPECT_EQ(WaitForSingleObject(event, 300), WAIT_TIMEOUT);
        EXPECT_GE(GetTickCount64() - start, 300u);
    });
    winsim::clock::MoveWallClock(std::chrono::hours(24));
    waiter.join();
    CloseHandle(event);
}

TEST_F(MachineTest, MutexHeldByAnotherProcessIsOpenedWithoutOwnershipUntilAbandoned) {
    winsim::objects::HoldMutexElsewhere(L"Global\\_OrvRunningMutex");
    HANDLE mutex = CreateMutexW(nullptr, TRUE, L"Global\\_OrvRunningMutex");
    ASSERT_NE(mutex, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(WaitForSingleObject(mutex, 20), WAIT_TIMEOUT);
    EXPECT_FALSE(ReleaseMutex(mutex));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_OWNER));

    ASSERT_TRUE(winsim::objects::ReleaseMutexElsewhere(L"Global\\_OrvRunningMutex", true));
    EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_ABANDONED_0);
    EXPECT_TRUE(ReleaseMutex(mutex));
    CloseHandle(mutex);
}

TEST_F(MachineTest, ResetMachineInvalidatesEveryEarlierHandle) {
    HANDLE event = CreateEventW(nullptr, TRUE, TRUE, L"Survivor");
    winsim::ResetMachine();
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(OpenEventW(SYNCHRONIZE, FALSE, L"Survivor"), nullptr);
    HANDLE fresh = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    EXPECT_NE(fresh, event) << "handle values are never reused";
    CloseHandle(fresh);
}

// A work object that submits itself again from its own callback until it has run `runs` times.
struct Chain {
    int runs = 200;
    std::atomic<int> ran{0};
};

void NTAPI RunChain(PTP_CALLBACK_INSTANCE, PVOID context, PTP_WORK work) {
    if (++static_cast<Chain*>(context)->ran < static_cast<Chain*>(context)->runs) {
        SubmitThreadpoolWork(work);
    }
}

TEST_F(MachineTest, IdleWaitCoversWorkThatCallbacksSubmitAndGivesUpWhileACallbackRuns) {
    PTP_POOL pool = CreateThreadpool(nullptr);
    ASSERT_NE(pool, nullptr);
    SetThreadpoolThreadMaximum(pool, 1);
    TP_CALLBACK_ENVIRON environment;
    InitializeThreadpoolEnvironment(&environment);
    SetThreadpoolCallbackPool(&environment, pool);
    Chain onPool;
    Chain onDefault;
    PTP_WORK poolWork = CreateThreadpoolWork(&RunChain, &onPool, &environment);
    PTP_WORK defaultWork = CreateThreadpoolWork(&RunChain, &onDefault, nullptr);
    ASSERT_NE(poolWork, nullptr);
    ASSERT_NE(defaultWork, nullptr);
    SubmitThreadpoolWork(poolWork);
    SubmitThreadpoolWork(defaultWork);
    EXPECT_TRUE(winsim::WaitForIdleThreadPools(std::chrono::seconds(30)));
    EXPECT_EQ(onPool.ran, 200);
    EXPECT_EQ(onDefault.ran, 200);

    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    PTP_WORK blocked = CreateThreadpoolWork(
        [](PTP_CALLBACK_INSTANCE, PVOID event, PTP_WORK) { WaitForSingleObject(event, INFINITE); },
        release, nullptr);
    SubmitThreadpoolWork(blocked);
    EXPECT_FALSE(winsim::WaitForIdleThreadPools(milliseconds(50)));
    SetEvent(release);
    EXPECT_TRUE(winsim::WaitForIdleThreadPools(std::chrono::seconds(30)));

    for (PTP_WORK work : {poolWork, defaultWork, blocked}) {
        CloseThreadpoolWork(work);
    }
    CloseThreadpool(pool);
    CloseHandle(release);
}

}  // namespace
