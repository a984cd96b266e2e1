// Thread pool calls whose failure Windows leaves undocumented; this machine refuses them.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

#include "arrange.h"
#include "winapi/control/machine.h"
#include "winapi/windows_api.h"

namespace {

class MachineThreadPoolTest : public ::testing::Test {
  protected:
    void SetUp() override { arrange::FreshMachine(); }
};

TEST_F(MachineThreadPoolTest, CreationRejectsMissingCallback) {
    EXPECT_EQ(CreateThreadpoolWork(nullptr, nullptr, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

// A work object that submits itself again from its own callback until it has run `runs` times.
struct Chain {
    PTP_WORK work = nullptr;
    int runs = 0;
    std::atomic<int> ran{0};
};

void NTAPI RunChain(PTP_CALLBACK_INSTANCE /*instance*/, PVOID context, PTP_WORK work) {
    auto* chain = static_cast<Chain*>(context);
    if (++chain->ran < chain->runs) {
        SubmitThreadpoolWork(work);
    }
}

void NTAPI WaitForEvent(PTP_CALLBACK_INSTANCE /*instance*/, PVOID context, PTP_WORK /*work*/) {
    WaitForSingleObject(static_cast<HANDLE>(context), INFINITE);
}

TEST_F(MachineThreadPoolTest, IdleWaitCoversWorkThatCallbacksSubmit) {
    PTP_POOL pool = CreateThreadpool(nullptr);
    ASSERT_NE(pool, nullptr);
    SetThreadpoolThreadMaximum(pool, 1);
    TP_CALLBACK_ENVIRON environment;
    InitializeThreadpoolEnvironment(&environment);
    SetThreadpoolCallbackPool(&environment, pool);
    Chain onPool;
    onPool.runs = 200;
    onPool.work = CreateThreadpoolWork(&RunChain, &onPool, &environment);
    Chain onDefault;
    onDefault.runs = 200;
    onDefault.work = CreateThreadpoolWork(&RunChain, &onDefault, nullptr);
    ASSERT_NE(onPool.work, nullptr);
    ASSERT_NE(onDefault.work, nullptr);

    SubmitThreadpoolWork(onPool.work);
    SubmitThreadpoolWork(onDefault.work);
    EXPECT_TRUE(winsim::WaitForIdleThreadPools(std::chrono::seconds(30)));
    EXPECT_EQ(onPool.ran, 200);
    EXPECT_EQ(onDefault.ran, 200);

    CloseThreadpoolWork(onPool.work);
    CloseThreadpoolWork(onDefault.work);
    CloseThreadpool(pool);
}

TEST_F(MachineThreadPoolTest, IdleWaitGivesUpWhileACallbackRuns) {
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    PTP_WORK work = CreateThreadpoolWork(&WaitForEvent, release, nullptr);
    ASSERT_NE(work, nullptr);
    SubmitThreadpoolWork(work);

    EXPECT_FALSE(winsim::WaitForIdleThreadPools(std::chrono::milliseconds(50)));
    SetEvent(release);
    EXPECT_TRUE(winsim::WaitForIdleThreadPools(std::chrono::seconds(30)));

    CloseThreadpoolWork(work);
    CloseHandle(release);
}

}  // namespace
