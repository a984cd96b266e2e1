#pragma once
// The machine's clock: a monotonic clock that runs `scale` times as fast as real time and
// a wall clock that follows it plus an offset moved by time changes. Thread-safe.

#include <chrono>
#include <functional>
#include <vector>

#include "base/annotated_mutex.h"

namespace winsim::detail {

class Clock {
  public:
    using Nanos = std::chrono::nanoseconds;
    using WallTime = std::chrono::system_clock::time_point;
    static constexpr Nanos kNever = Nanos::max();
    // The wall times the clock holds: what nanosecond counts since 1970 and since the
    // clock's start can, with room for the clock to run on. Moves beyond throw
    // std::out_of_range.
    static constexpr WallTime kEarliestWall{std::chrono::sys_days{std::chrono::year{1800} / 1 / 1}};
    static constexpr WallTime kLatestWall{std::chrono::sys_days{std::chrono::year{2262} / 1 / 1}};

    // `delta` in nanoseconds; std::out_of_range when no move within the range is that long.
    static Nanos WallDelta(std::chrono::milliseconds delta);

    Clock();

    // Simulated time since the machine started or was reset.
    Nanos Now() const EXCLUDES(mu_);
    WallTime WallNow() const EXCLUDES(mu_);

    void SetScale(double factor) EXCLUDES(mu_);
    double Scale() const EXCLUDES(mu_);
    void Advance(Nanos elapsed) EXCLUDES(mu_);
    void MoveWall(Nanos delta) EXCLUDES(mu_);
    void SetWall(WallTime now) EXCLUDES(mu_);
    void Reset() EXCLUDES(mu_);

    // The simulated deadline `timeout` from now; kNever for an infinite timeout.
    Nanos DeadlineAfter(Nanos timeout) const;

    // One step of a timed wait on `cv` under `m`: false at once when simulated time has
    // reached `deadline`; otherwise blocks until notified, until the deadline or until the
    // clock's pace changes, and returns true. Callers re-test their condition and loop.
    bool WaitStep(tsa::Mutex& m, tsa::CondVar& cv, Nanos deadline) const REQUIRES(m) EXCLUDES(mu_);

    // Blocks the calling thread for `duration` of simulated time.
    void Sleep(Nanos duration) EXCLUDES(mu_, sleep_mu_);

    // Waiters of `m`/`cv` are woken whenever the pace changes (scale, advance, reset), so
    // that they recompute their real deadline. Register at machine construction.
    void AddWaiters(tsa::Mutex& m, tsa::CondVar& cv) EXCLUDES(listeners_mu_);

  private:
    using Steady = std::chrono::steady_clock;

    Nanos NowLocked() const REQUIRES(mu_);
    WallTime WallNowLocked() const REQUIRES(mu_);
    // Throws unless the wall clock may move by `delta` from now.
    void CheckWallMoveLocked(Nanos delta) const REQUIRES(mu_);
    Steady::time_point RealDeadline(Nanos deadline) const EXCLUDES(mu_);
    void Rebase() REQUIRES(mu_);
    void WakeWaiters() EXCLUDES(listeners_mu_);

    mutable tsa::Mutex mu_;
    Steady::time_point real_base_ GUARDED_BY(mu_);
    Nanos sim_base_ GUARDED_BY(mu_){0};
    double scale_ GUARDED_BY(mu_) = 1.0;
    WallTime wall_origin_ GUARDED_BY(mu_);
    Nanos wall_offset_ GUARDED_BY(mu_){0};

    struct Waiters {
        tsa::Mutex* mutex;
        tsa::CondVar* cv;
    };
    tsa::Mutex listeners_mu_;
    std::vector<Waiters> listeners_ GUARDED_BY(listeners_mu_);

    tsa::Mutex sleep_mu_;
    tsa::CondVar sleep_cv_;
};

}  // namespace winsim::detail
