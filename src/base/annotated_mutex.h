#pragma once
// Mutexes and a condition variable that clang's thread-safety analysis understands.
// Thin wrappers over the standard types: same cost, same semantics. Use them for every
// member that more than one thread touches, and mark the member GUARDED_BY(mutex).
//
// Waiting: write the predicate as a loop so the analysis sees the lock held, e.g.
//     tsa::MutexLock lock(mu_);
//     while (!ready_) cv_.Wait(mu_);

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "base/thread_annotations.h"

namespace tsa {

class CAPABILITY("mutex") Mutex {
  public:
    Mutex() = default;
    Mutex(const Mutex&) = delete;
    Mutex& operator=(const Mutex&) = delete;

    void lock() ACQUIRE() { m_.lock(); }
    void unlock() RELEASE() { m_.unlock(); }
    bool try_lock() TRY_ACQUIRE(true) { return m_.try_lock(); }

    // For std::condition_variable waits; see CondVar.
    std::mutex& native() { return m_; }

  private:
    std::mutex m_;
};

class CAPABILITY("mutex") RecursiveMutex {
  public:
    RecursiveMutex() = default;
    RecursiveMutex(const RecursiveMutex&) = delete;
    RecursiveMutex& operator=(const RecursiveMutex&) = delete;

    void lock() ACQUIRE() { m_.lock(); }
    void unlock() RELEASE() { m_.unlock(); }
    bool try_lock() TRY_ACQUIRE(true) { return m_.try_lock(); }

  private:
    std::recursive_mutex m_;
};

// A std::mutex that must stay that type (an interface elsewhere takes it by reference), as
// the analysis sees it: lock it through the view and mark what it guards GUARDED_BY(view).
// Whoever locks the std::mutex itself is outside the analysis.
class CAPABILITY("mutex") MutexView {
  public:
    explicit MutexView(std::mutex& m) : m_(m) {}
    MutexView(const MutexView&) = delete;
    MutexView& operator=(const MutexView&) = delete;

    void lock() ACQUIRE() { m_.lock(); }
    void unlock() RELEASE() { m_.unlock(); }

  private:
    std::mutex& m_;
};

// Holds a Mutex, RecursiveMutex or MutexView for its scope.
template <typename M>
class SCOPED_CAPABILITY BasicLock {
  public:
    explicit BasicLock(M& m) ACQUIRE(m) : m_(m) { m_.lock(); }
    ~BasicLock() RELEASE() { m_.unlock(); }
    BasicLock(const BasicLock&) = delete;
    BasicLock& operator=(const BasicLock&) = delete;

  private:
    M& m_;
};

using MutexLock = BasicLock<Mutex>;
using RecursiveMutexLock = BasicLock<RecursiveMutex>;
using MutexViewLock = BasicLock<MutexView>;

// A condition variable bound to tsa::Mutex. The caller holds the mutex across each call;
// as with std::condition_variable, wake-ups may be spurious, so re-test in a loop.
class CondVar {
  public:
    void Wait(Mutex& m) REQUIRES(m) {
        std::unique_lock<std::mutex> lk(m.native(), std::adopt_lock);
        cv_.wait(lk);
        lk.release();
    }

    // Returns false when the deadline passed (the condition may still have come true).
    template <typename Clock, typename Duration>
    bool WaitUntil(Mutex& m, const std::chrono::time_point<Clock, Duration>& deadline) REQUIRES(m) {
        std::unique_lock<std::mutex> lk(m.native(), std::adopt_lock);
        const bool notified = cv_.wait_until(lk, deadline) == std::cv_status::no_timeout;
        lk.release();
        return notified;
    }

    void NotifyOne() { cv_.notify_one(); }
    void NotifyAll() { cv_.notify_all(); }

  private:
    std::condition_variable cv_;
};

}  // namespace tsa
