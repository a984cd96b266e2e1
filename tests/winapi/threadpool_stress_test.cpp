// The pool's thread bound under load, and closing a busy pool.

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "winapi/control/machine_control.h"
#include "winapi/windows_api.h"

namespace {

class ThreadPoolLoadTest : public ::testing::Test {
  protected:
    void SetUp() override { winsim::ResetMachine(); }
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
    // Read before the count goes up: once it reaches the total, the test may destroy the load.
    const int total = load->total;
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
    if (++load->done == total) {
        SetEvent(load->finished);
    }
}

TEST_F(ThreadPoolLoadTest, EverySubmissionRunsOnNoMoreThreadsThanTheMaximum) {
    winsim::clock::SetScale(10);
    const struct {
        DWORD maximum;
        int submitters;
        int perSubmitter;
        bool closeEarly;  // the pool is closed while its work is still queued
    } loads[] = {{3, 1, 300, false}, {8, 1, 1000, false}, {8, 1, 500, true}, {4, 4, 200, true}};
    for (const auto& row : loads) {
        SCOPED_TRACE(testing::Message() << "maximum " << row.maximum << ", " << row.submitters
                                        << " submitter(s), close early " << row.closeEarly);
        PTP_POOL pool = CreateThreadpool(nullptr);
        ASSERT_NE(pool, nullptr);
        SetThreadpoolThreadMaximum(pool, row.maximum);
        TP_CALLBACK_ENVIRON env;
        InitializeThreadpoolEnvironment(&env);
        SetThreadpoolCallbackPool(&env, pool);
        Load load;
        load.total = row.submitters * row.perSubmitter;
        std::vector<std::thread> submitters;
        for (int t = 0; t < row.submitters; ++t) {
            submitters.emplace_back([&] {
                for (int i = 0; i < row.perSubmitter; ++i) {
                    PTP_WORK work = CreateThreadpoolWork(LoadWork, &load, &env);
                    ASSERT_NE(work, nullptr);
                    SubmitThreadpoolWork(work);
                }
            });
        }
        for (auto& t : submitters) {
            t.join();
        }
        if (row.closeEarly) {
            CloseThreadpool(pool);
        }
        ASSERT_EQ(WaitForSingleObject(load.finished, 120000), WAIT_OBJECT_0);
        if (!row.closeEarly) {
            CloseThreadpool(pool);
        }
        EXPECT_EQ(load.done.load(), load.total);
        EXPECT_LE(load.peak.load(), static_cast<int>(row.maximum));
        EXPECT_LE(load.thread_ids.size(), row.maximum) << "a thread beyond the maximum was made";
    }
}

}  // namespace
