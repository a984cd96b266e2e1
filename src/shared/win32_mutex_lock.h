#pragma once
// Win32MutexLock: a lock object of the common base library, as far as the named-pipe
// endpoints hold one. A lock is not state to copy: a copy is a fresh, unlocked lock, and
// assigning one lock to another changes neither.

#include <mutex>

class Win32MutexLock {
  public:
    Win32MutexLock() = default;
    Win32MutexLock(const Win32MutexLock& /*other*/) {}
    Win32MutexLock& operator=(const Win32MutexLock& /*other*/) { return *this; }
    ~Win32MutexLock() = default;

    void lock() { mutex_.lock(); }
    void unlock() { mutex_.unlock(); }
    bool try_lock() { return mutex_.try_lock(); }

  private:
    std::recursive_mutex mutex_;
};
