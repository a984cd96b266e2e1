// Private and default thread pools, work objects and their closing.

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "contract_platform.h"
#include "winapi/windows_api.h"

namespace {

class ThreadPoolTest : public ::testing::Test {
  protected:
    void SetUp() override {
        contract::FreshMachine();
        pool_ = CreateThreadpool(nullptr);
        ASSERT_NE(pool_, nullptr);
        InitializeThreadpoolEnvironment(&env_);
        SetThreadpoolCallbackPool(&env_, pool_);
    }
    void TearDown() override {
        if (pool_ != nullptr) {
            CloseThreadpool(pool_);
        }
    }

    PTP_POOL pool_ = nullptr;
    TP_CALLBACK_ENVIRON env_{};
};

// Callbacks that wait until `open` is set; `all_done` is set once `expected` have run.
struct Gate {
    HANDLE open = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE all_done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::atomic<int> ran{0};
    int expected = 0;
    ~Gate() {
        CloseHandle(open);
        CloseHandle(all_done);
    }
};

void CALLBACK GatedWork(PTP_CALLBACK_INSTANCE, PVOID context, PTP_WORK) {
    auto* gate = static_cast<Gate*>(context);
    WaitForSingleObject(gate->open, INFINITE);
    if (++gate->ran == gate->expected) {
        SetEvent(gate->all_done);
    }
}

// The control handler's shape: run once, then close its own work object.
void CALLBACK GatedSelfClosingWork(PTP_CALLBACK_INSTANCE instance, PVOID context, PTP_WORK work) {
    GatedWork(instance, context, work);
    CloseThreadpoolWork(work);
}

TEST_F(ThreadPoolTest, CloseDoesNotWaitAndQueuedWorkStillRuns) {
    SetThreadpoolThreadMaximum(pool_, 2);
    Gate gate;
    gate.expected = 20;
    for (int i = 0; i < gate.expected; ++i) {
        PTP_WORK work = CreateThreadpoolWork(GatedSelfClosingWork, &gate, &env_);
        ASSERT_NE(work, nullptr);
        SubmitThreadpoolWork(work);
    }
    CloseThreadpool(pool_);  // returns at once although every callback is blocked
    pool_ = nullptr;
    EXPECT_EQ(gate.ran.load(), 0);

    SetEvent(gate.open);
    EXPECT_EQ(WaitForSingleObject(gate.all_done, 60000), WAIT_OBJECT_0);
    EXPECT_EQ(gate.ran.load(), 20);
}

TEST_F(ThreadPoolTest, WaitForCallbacksCancelsThoseNotStartedOrWaitsForEverySubmission) {
    SetThreadpoolThreadMaximum(pool_, 1);
    Gate blocker;
    Gate counter;
    SetEvent(counter.open);
    PTP_WORK blocking = CreateThreadpoolWork(GatedWork, &blocker, &env_);
    PTP_WORK work = CreateThreadpoolWork(GatedWork, &counter, &env_);
    ASSERT_NE(work, nullptr);
    SubmitThreadpoolWork(blocking);  // occupies the pool's only thread
    for (int i = 0; i < 5; ++i) {
        SubmitThreadpoolWork(work);
    }
    WaitForThreadpoolWorkCallbacks(work, TRUE);
    SetEvent(blocker.open);
    WaitForThreadpoolWorkCallbacks(blocking, FALSE);
    EXPECT_EQ(counter.ran.load(), 0);
    EXPECT_EQ(blocker.ran.load(), 1);

    for (int i = 0; i < 5; ++i) {
        SubmitThreadpoolWork(work);  // one work object, five callbacks
    }
    WaitForThreadpoolWorkCallbacks(work, FALSE);
    EXPECT_EQ(counter.ran.load(), 5);
    CloseThreadpoolWork(work);
    CloseThreadpoolWork(blocking);

    // A null environment uses the default pool.
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    work = CreateThreadpoolWork(
        [](PTP_CALLBACK_INSTANCE, PVOID context, PTP_WORK) { SetEvent(context); }, done, nullptr);
    ASSERT_NE(work, nullptr);
    SubmitThreadpoolWork(work);
    EXPECT_EQ(WaitForSingleObject(done, 60000), WAIT_OBJECT_0);
    WaitForThreadpoolWorkCallbacks(work, FALSE);
    CloseThreadpoolWork(work);
    CloseHandle(done);
}

}  // namespace
