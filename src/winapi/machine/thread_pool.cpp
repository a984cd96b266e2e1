#include "winapi/machine/thread_pool.h"

#include <algorithm>
#include <cstdio>
#include <system_error>

#include "winapi/machine/thread_identity.h"
#include "winapi/win32/errors.h"

TP_POOL::~TP_POOL() {
    JoinExited();
}

void TP_POOL::SetMaximum(DWORD threads) {
    tsa::MutexLock lock(mu_);
    // A pool without threads would hold its work for ever.
    max_ = std::max<DWORD>(threads, 1);
    min_ = std::min(min_, max_);
    work_cv_.NotifyAll();  // idle threads above the new maximum leave
}

void TP_POOL::SetMinimum(DWORD threads) {
    tsa::MutexLock lock(mu_);
    min_ = threads;
    max_ = std::max(max_, min_);
    while (live_ < min_ && !shutting_down_) {
        Spawn();
    }
}

void TP_POOL::AddWork() {
    tsa::MutexLock lock(mu_);
    ++open_works_;
}

void TP_POOL::Spawn() {
    try {
        threads_.emplace_back([this] { Run(); });
        ++live_;
    } catch (const std::system_error& e) {
        // Windows would queue the work until a thread is free; so does this pool.
        std::fprintf(stderr, "winsim: thread pool could not start a thread: %s\n", e.what());
    }
}

void TP_POOL::Submit(const std::shared_ptr<TP_WORK>& work) {
    {
        tsa::MutexLock lock(mu_);
        if (shutting_down_) {
            return;
        }
        ++work->pending;
        queue_.push_back(work);
        if (queue_.size() > idle_ && live_ < max_) {
            Spawn();
        }
        work_cv_.NotifyOne();
    }
    JoinExited();
}

void TP_POOL::WaitForCallbacks(TP_WORK& work, bool cancel_pending) {
    tsa::MutexLock lock(mu_);
    if (cancel_pending) {
        std::erase_if(queue_,
                      [&work](const std::shared_ptr<TP_WORK>& w) { return w.get() == &work; });
        work.pending = 0;
        work_cv_.NotifyAll();
    }
    while (work.running > 0 || work.pending > 0) {
        done_cv_.Wait(mu_);
    }
}

void TP_POOL::CloseWork(TP_WORK& work) {
    tsa::MutexLock lock(mu_);
    work.closed = true;
    --open_works_;
    work_cv_.NotifyAll();
}

void TP_POOL::Close() {
    tsa::MutexLock lock(mu_);
    closed_ = true;
    work_cv_.NotifyAll();
}

bool TP_POOL::Retiring() const {
    return closed_ && open_works_ == 0 && queue_.empty();
}

bool TP_POOL::ShouldExit() const {
    return shutting_down_ || Retiring() || live_ > max_;
}

bool TP_POOL::Finished() {
    tsa::MutexLock lock(mu_);
    return (shutting_down_ || Retiring()) && live_ == 0;
}

void TP_POOL::Run() {
    TP_CALLBACK_INSTANCE instance;
    mu_.lock();
    for (;;) {
        while (queue_.empty() && !ShouldExit()) {
            ++idle_;
            work_cv_.Wait(mu_);
            --idle_;
        }
        if (queue_.empty() || live_ > max_) {
            break;
        }
        std::shared_ptr<TP_WORK> work = std::move(queue_.front());
        queue_.pop_front();
        --work->pending;
        ++work->running;
        ++running_;
        mu_.unlock();
        work->callback(&instance, work->context, work.get());
        mu_.lock();
        --work->running;
        --running_;
        work.reset();  // frees a closed work after its last callback
        done_cv_.NotifyAll();
    }
    --live_;
    const auto me = std::find_if(threads_.begin(), threads_.end(), [](const std::thread& t) {
        return t.get_id() == std::this_thread::get_id();
    });
    if (me != threads_.end()) {
        exited_.push_back(std::move(*me));
        threads_.erase(me);
    }
    done_cv_.NotifyAll();
    mu_.unlock();
}

void TP_POOL::JoinExited() {
    std::vector<std::thread> exited;
    {
        tsa::MutexLock lock(mu_);
        exited.swap(exited_);
    }
    for (std::thread& t : exited) {
        if (t.get_id() == std::this_thread::get_id()) {
            // The calling thread is on its way out of this pool; another caller joins it.
            tsa::MutexLock lock(mu_);
            exited_.push_back(std::move(t));
            continue;
        }
        t.join();
    }
}

bool TP_POOL::WaitIdle(std::chrono::steady_clock::time_point deadline) {
    tsa::MutexLock lock(mu_);
    while (!queue_.empty() || running_ > 0) {
        if (!done_cv_.WaitUntil(mu_, deadline)) {
            return queue_.empty() && running_ == 0;
        }
    }
    return true;
}

void TP_POOL::Shutdown() {
    {
        tsa::MutexLock lock(mu_);
        shutting_down_ = true;
        for (const auto& work : queue_) {
            --work->pending;
        }
        queue_.clear();
        work_cv_.NotifyAll();
        while (live_ > 0) {
            done_cv_.Wait(mu_);
        }
    }
    JoinExited();
}

namespace winsim::detail {

namespace {

void ReportMisuse(const char* caller, const char* what) {
    // Windows would fail unpredictably on such a pointer; say so plainly instead.
    std::fprintf(stderr, "winsim: %s: %s\n", caller, what);
    SetLastErrorCode(ERROR_INVALID_HANDLE);
}

}  // namespace

std::shared_ptr<TP_POOL> ThreadPools::FindPool(PTP_POOL pool, const char* caller) {
    const auto it = open_.find(pool);
    if (it == open_.end()) {
        ReportMisuse(caller, "not an open thread pool");
        return nullptr;
    }
    return it->second;
}

std::shared_ptr<TP_WORK> ThreadPools::FindWork(PTP_WORK work, const char* caller) {
    const auto it = works_.find(work);
    if (it == works_.end()) {
        ReportMisuse(caller, "not an open work object");
        return nullptr;
    }
    return it->second;
}

PTP_POOL ThreadPools::Create() {
    Reap();
    auto pool = std::make_shared<TP_POOL>();
    PTP_POOL raw = pool.get();
    tsa::MutexLock lock(mu_);
    open_.emplace(raw, std::move(pool));
    return raw;
}

void ThreadPools::SetMaximum(PTP_POOL pool, DWORD threads) {
    std::shared_ptr<TP_POOL> p;
    {
        tsa::MutexLock lock(mu_);
        p = FindPool(pool, "SetThreadpoolThreadMaximum");
    }
    if (p) {
        p->SetMaximum(threads);
    }
}

bool ThreadPools::SetMinimum(PTP_POOL pool, DWORD threads) {
    std::shared_ptr<TP_POOL> p;
    {
        tsa::MutexLock lock(mu_);
        p = FindPool(pool, "SetThreadpoolThreadMinimum");
    }
    if (!p) {
        return false;
    }
    p->SetMinimum(threads);
    return true;
}

void ThreadPools::Close(PTP_POOL pool) {
    {
        tsa::MutexLock lock(mu_);
        const std::shared_ptr<TP_POOL> p = FindPool(pool, "CloseThreadpool");
        if (!p) {
            return;
        }
        open_.erase(pool);
        closing_.push_back(p);
        p->Close();
    }
    Reap();
}

PTP_WORK ThreadPools::CreateWork(PTP_WORK_CALLBACK callback, PVOID context,
                                 PTP_CALLBACK_ENVIRON environ) {
    if (callback == nullptr ||
        (environ != nullptr && environ->Version != 1 && environ->Version != 3)) {
        SetLastErrorCode(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    tsa::MutexLock lock(mu_);
    std::shared_ptr<TP_POOL> pool;
    if (environ != nullptr && environ->Pool != nullptr) {
        const auto it = open_.find(environ->Pool);
        if (it == open_.end()) {
            SetLastErrorCode(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        pool = it->second;
    } else {
        if (!default_) {
            default_ = std::make_shared<TP_POOL>();
        }
        pool = default_;
    }
    auto work = std::make_shared<TP_WORK>();
    work->pool = pool.get();
    work->callback = callback;
    work->context = context;
    pool->AddWork();
    PTP_WORK raw = work.get();
    works_.emplace(raw, std::move(work));
    return raw;
}

void ThreadPools::Submit(PTP_WORK work) {
    std::shared_ptr<TP_WORK> w;
    {
        tsa::MutexLock lock(mu_);
        w = FindWork(work, "SubmitThreadpoolWork");
    }
    if (w) {
        w->pool->Submit(w);
    }
}

void ThreadPools::WaitForCallbacks(PTP_WORK work, bool cancel_pending) {
    std::shared_ptr<TP_WORK> w;
    {
        tsa::MutexLock lock(mu_);
        w = FindWork(work, "WaitForThreadpoolWorkCallbacks");
    }
    if (w) {
        w->pool->WaitForCallbacks(*w, cancel_pending);
    }
}

void ThreadPools::CloseWork(PTP_WORK work) {
    std::shared_ptr<TP_WORK> w;
    {
        tsa::MutexLock lock(mu_);
        w = FindWork(work, "CloseThreadpoolWork");
        if (!w) {
            return;
        }
        works_.erase(work);
    }
    w->pool->CloseWork(*w);
    // Queued callbacks hold their own references; the last one frees the work.
}

void ThreadPools::Reap() {
    std::vector<std::shared_ptr<TP_POOL>> finished;
    {
        tsa::MutexLock lock(mu_);
        for (auto it = closing_.begin(); it != closing_.end();) {
            if ((*it)->Finished()) {
                finished.push_back(std::move(*it));
                it = closing_.erase(it);
            } else {
                ++it;
            }
        }
    }
    // Destroying a finished pool joins its threads, outside the lock.
    finished.clear();
}

bool ThreadPools::WaitIdle(std::chrono::steady_clock::time_point deadline) {
    // A callback may submit more work, to this pool or another: look again until one pass
    // finds every pool idle.
    for (;;) {
        std::vector<std::shared_ptr<TP_POOL>> pools;
        {
            tsa::MutexLock lock(mu_);
            for (const auto& [raw, pool] : open_) {
                pools.push_back(pool);
            }
            pools.insert(pools.end(), closing_.begin(), closing_.end());
            if (default_) {
                pools.push_back(default_);
            }
        }
        bool waited = false;
        for (const auto& pool : pools) {
            if (!pool->WaitIdle(std::chrono::steady_clock::now())) {
                waited = true;
                if (!pool->WaitIdle(deadline)) {
                    return false;
                }
            }
        }
        if (!waited) {
            return true;
        }
    }
}

void ThreadPools::Shutdown() {
    std::vector<std::shared_ptr<TP_POOL>> pools;
    {
        tsa::MutexLock lock(mu_);
        for (auto& [raw, pool] : open_) {
            pools.push_back(std::move(pool));
        }
        open_.clear();
        for (auto& pool : closing_) {
            pools.push_back(std::move(pool));
        }
        closing_.clear();
        if (default_) {
            pools.push_back(std::move(default_));
        }
    }
    // Callbacks still running may close their work objects, so those outlive the pools'
    // threads.
    for (const auto& pool : pools) {
        pool->Shutdown();
    }
    std::unordered_map<TP_WORK*, std::shared_ptr<TP_WORK>> works;
    {
        tsa::MutexLock lock(mu_);
        works.swap(works_);
    }
    works.clear();
    pools.clear();
}

}  // namespace winsim::detail
