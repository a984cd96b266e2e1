// The pool's thread bound under load, and closing a busy pool.

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "arrange.h"
#include "winapi/windows_api.h"

namespace {

class ThreadPoolLoadTest : public ::testing::Test {
  protected:
    void SetUp() override { arrange::FreshMachine(); }
};

struct Load {
    std::atomic<int> running{0};
    std::atomic<int> peak{0};
    std::atomic<int> done{0};
    int total = 0;
    HANDLE finished = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::mutex ids_mutex;
    std::set<DWORD> thread_ids;
    ~Load() { CloseHandle(finished); }
};

void CALLBACK LoadWork(PTP_CALLBACK_INSTANCE, PVOID context, PTP_WORK work) {
    auto* load = static_cast<Load*>(context);
    const int now = ++load->running;
    int seen = load->peak.load();
    while (now > seen && !load->peak.compare_exchange_weak(seen, now)) {
    }
    {
        std::lock_guard<std::mutex> lock(load->ids_mutex);
        load->thread_ids.insert(GetCurrentThreadId());
    }
    Sleep(1);
    --load->running;
    CloseThreadpoolWork(work);
    if (++load->done == load->total) {
        SetEvent(load->finished);
    }
}

void RunLoad(DWORD maximum, int total, bool close_early) {
    PTP_POOL pool = CreateThreadpool(nullptr);
    ASSERT_NE(pool, nullptr);
    SetThreadpoolThreadMaximum(pool, maximum);
    TP_CALLBACK_ENVIRON env;
    InitializeThreadpoolEnvironment(&env);
    SetThreadpoolCallbackPool(&env, pool);

    Load load;
    load.total = total;
    for (int i = 0; i < total; ++i) {
        PTP_WORK work = CreateThreadpoolWork(LoadWork, &load, &env);
        ASSERT_NE(work, nullptr);
        SubmitThreadpoolWork(work);
    }
    if (close_early) {
        CloseThreadpool(pool);
    }
    ASSERT_EQ(WaitForSingleObject(load.finished, 120000), WAIT_OBJECT_0);
    if (!close_early) {
        CloseThreadpool(pool);
    }
    EXPECT_EQ(load.done.load(), total);
    EXPECT_LE(load.peak.load(), static_cast<int>(maximum));
    EXPECT_LE(load.thread_ids.size(), maximum) << "a thread beyond the maximum was created";
}

TEST_F(ThreadPoolLoadTest, NeverMoreConcurrentCallbacksOrThreadsThanTheMaximum) {
    arrange::ClockScale(10);
    RunLoad(3, 300, false);
    RunLoad(8, 1000, false);
}

TEST_F(ThreadPoolLoadTest, ClosingABusyPoolStillRunsEverySubmission) {
    arrange::ClockScale(10);
    RunLoad(8, 500, true);
}

TEST_F(ThreadPoolLoadTest, SubmissionsFromManyThreadsAllRun) {
    PTP_POOL pool = CreateThreadpool(nullptr);
    SetThreadpoolThreadMaximum(pool, 4);
    TP_CALLBACK_ENVIRON env;
    InitializeThreadpoolEnvironment(&env);
    SetThreadpoolCallbackPool(&env, pool);
    Load load;
    load.total = 4 * 200;
    std::vector<std::thread> submitters;
    for (int t = 0; t < 4; ++t) {
        submitters.emplace_back([&] {
            for (int i = 0; i < 200; ++i) {
                PTP_WORK work = CreateThreadpoolWork(LoadWork, &load, &env);
                ASSERT_NE(work, nullptr);
                SubmitThreadpoolWork(work);
            }
        });
    }
    for (auto& t : submitters) {
        t.join();
    }
    CloseThreadpool(pool);
    ASSERT_EQ(WaitForSingleObject(load.finished, 120000), WAIT_OBJECT_0);
    EXPECT_LE(load.peak.load(), 4);
}

}  // namespace
