#pragma once
// The thread pools behind PTP_POOL and PTP_WORK. A pool creates its threads on demand,
// never more than its maximum at once; closing it lets queued work run, and the pool
// frees itself once it is closed, drained and no work object is bound to it.

#include <chrono>
#include <deque>
#include <memory>
#include <thread>
#include <unordered_map>
#include <vector>

#include "base/annotated_mutex.h"
#include "winapi/win32/threadpool.h"

struct TP_CALLBACK_INSTANCE {};

// A work object. Its counters are guarded by its pool's mutex.
struct TP_WORK {
    TP_POOL* pool = nullptr;  // outlives the work: a pool retires only once its works are closed
    PTP_WORK_CALLBACK callback = nullptr;
    PVOID context = nullptr;
    unsigned pending = 0;  // submitted, not yet started
    unsigned running = 0;
    bool closed = false;
};

struct TP_POOL {
  public:
    static constexpr DWORD kDefaultMaximum = 500;

    TP_POOL() = default;
    TP_POOL(const TP_POOL&) = delete;
    TP_POOL& operator=(const TP_POOL&) = delete;
    // Joins the pool's threads; the pool must be Finished() or Shutdown() first.
    ~TP_POOL();

    void SetMaximum(DWORD threads) EXCLUDES(mu_);
    void SetMinimum(DWORD threads) EXCLUDES(mu_);
    void AddWork() EXCLUDES(mu_);
    void Submit(const std::shared_ptr<TP_WORK>& work) EXCLUDES(mu_);
    void WaitForCallbacks(TP_WORK& work, bool cancel_pending) EXCLUDES(mu_);
    void CloseWork(TP_WORK& work) EXCLUDES(mu_);
    void Close() EXCLUDES(mu_);
    // Closed, drained, no open work object, every thread ended.
    bool Finished() EXCLUDES(mu_);
    // Drops queued work, lets running callbacks end, ends and joins every thread.
    void Shutdown() EXCLUDES(mu_);
    // Joins threads that have left the pool; never the caller's own.
    void JoinExited() EXCLUDES(mu_);
    // Waits until no work is queued and no callback runs, or `deadline` passes.
    bool WaitIdle(std::chrono::steady_clock::time_point deadline) EXCLUDES(mu_);

  private:
    void Run() EXCLUDES(mu_);
    void Spawn() REQUIRES(mu_);
    bool Retiring() const REQUIRES(mu_);
    bool ShouldExit() const REQUIRES(mu_);

    tsa::Mutex mu_;
    tsa::CondVar work_cv_;  // work queued, or a reason to exit
    tsa::CondVar done_cv_;  // a callback finished, or a thread exited
    std::deque<std::shared_ptr<TP_WORK>> queue_ GUARDED_BY(mu_);
    std::vector<std::thread> threads_ GUARDED_BY(mu_);
    std::vector<std::thread> exited_ GUARDED_BY(mu_);
    DWORD max_ GUARDED_BY(mu_) = kDefaultMaximum;
    DWORD min_ GUARDED_BY(mu_) = 0;
    DWORD live_ GUARDED_BY(mu_) = 0;
    DWORD idle_ GUARDED_BY(mu_) = 0;
    DWORD running_ GUARDED_BY(mu_) = 0;  // callbacks under way
    unsigned open_works_ GUARDED_BY(mu_) = 0;
    bool closed_ GUARDED_BY(mu_) = false;
    bool shutting_down_ GUARDED_BY(mu_) = false;
};

namespace winsim::detail {

// All pools of the machine, the default pool, and the work objects handed out.
class ThreadPools {
  public:
    ThreadPools() = default;
    ThreadPools(const ThreadPools&) = delete;
    ThreadPools& operator=(const ThreadPools&) = delete;

    PTP_POOL Create() EXCLUDES(mu_);
    void SetMaximum(PTP_POOL pool, DWORD threads) EXCLUDES(mu_);
    bool SetMinimum(PTP_POOL pool, DWORD threads) EXCLUDES(mu_);
    void Close(PTP_POOL pool) EXCLUDES(mu_);

    // Null with the last error set when the environment names no open pool.
    PTP_WORK CreateWork(PTP_WORK_CALLBACK callback, PVOID context, PTP_CALLBACK_ENVIRON environ)
        EXCLUDES(mu_);
    void Submit(PTP_WORK work) EXCLUDES(mu_);
    void WaitForCallbacks(PTP_WORK work, bool cancel_pending) EXCLUDES(mu_);
    void CloseWork(PTP_WORK work) EXCLUDES(mu_);

    // Frees closed pools whose threads have all ended.
    void Reap() EXCLUDES(mu_);
    // Waits until every pool, the default one included, has no queued or running work, or
    // `deadline` passes. Work submitted meanwhile is waited for too.
    bool WaitIdle(std::chrono::steady_clock::time_point deadline) EXCLUDES(mu_);
    // Ends every pool, the default one included; new pools may be created afterwards.
    void Shutdown() EXCLUDES(mu_);

  private:
    std::shared_ptr<TP_POOL> FindPool(PTP_POOL pool, const char* caller) REQUIRES(mu_);
    std::shared_ptr<TP_WORK> FindWork(PTP_WORK work, const char* caller) REQUIRES(mu_);

    tsa::Mutex mu_;
    std::unordered_map<TP_POOL*, std::shared_ptr<TP_POOL>> open_ GUARDED_BY(mu_);
    std::vector<std::shared_ptr<TP_POOL>> closing_ GUARDED_BY(mu_);
    std::shared_ptr<TP_POOL> default_ GUARDED_BY(mu_);
    std::unordered_map<TP_WORK*, std::shared_ptr<TP_WORK>> works_ GUARDED_BY(mu_);
};

}  // namespace winsim::detail
