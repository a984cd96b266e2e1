#include "winapi/machine/clock.h"

#include <stdexcept>
#include <thread>

namespace winsim::detail {

namespace {
// A real-time wait never sleeps longer than this at once, which keeps deadline arithmetic
// far from overflow; the caller's loop simply waits again.
constexpr std::chrono::hours kLongestRealWait{24};
}  // namespace

Clock::Clock() {
    {
        tsa::MutexLock lock(mu_);
        real_base_ = Steady::now();
        wall_origin_ = std::chrono::system_clock::now();
    }
    // Lock order: listeners_mu_, then a waiters' mutex, then mu_.
    AddWaiters(sleep_mu_, sleep_cv_);
}

Clock::Nanos Clock::NowLocked() const {
    const auto real_elapsed = std::chrono::duration<double, std::nano>(Steady::now() - real_base_);
    return sim_base_ + std::chrono::duration_cast<Nanos>(real_elapsed * scale_);
}

Clock::Nanos Clock::Now() const {
    tsa::MutexLock lock(mu_);
    return NowLocked();
}

Clock::WallTime Clock::WallNow() const {
    tsa::MutexLock lock(mu_);
    return WallNowLocked();
}

Clock::WallTime Clock::WallNowLocked() const {
    return wall_origin_ +
           std::chrono::duration_cast<WallTime::duration>(NowLocked() + wall_offset_);
}

namespace {
using std::chrono::milliseconds;

// The longest single move: what a count of nanoseconds holds, with room.
constexpr milliseconds kLongestMove{std::chrono::hours{24 * 366 * 290}};

// Milliseconds since 1970: wide enough for any wall time and any move between two of them.
milliseconds SinceEpoch(Clock::WallTime t) {
    return std::chrono::duration_cast<milliseconds>(t.time_since_epoch());
}

[[noreturn]] void ThrowOutOfRange() {
    throw std::out_of_range("the machine's clock holds wall times from 1800 to 2261 only");
}
}  // namespace

Clock::Nanos Clock::WallDelta(milliseconds delta) {
    if (delta > kLongestMove || delta < -kLongestMove) {
        ThrowOutOfRange();
    }
    return delta;
}

void Clock::CheckWallMoveLocked(Nanos delta) const {
    const milliseconds moved =
        SinceEpoch(WallNowLocked()) + std::chrono::duration_cast<milliseconds>(delta);
    if (moved > SinceEpoch(kLatestWall) || moved < SinceEpoch(kEarliestWall)) {
        ThrowOutOfRange();
    }
}

void Clock::Rebase() {
    sim_base_ = NowLocked();
    real_base_ = Steady::now();
}

void Clock::SetScale(double factor) {
    if (!(factor > 0.0) || factor > 1e9) {
        throw std::invalid_argument("clock scale must be a positive factor");
    }
    {
        tsa::MutexLock lock(mu_);
        Rebase();
        scale_ = factor;
    }
    WakeWaiters();
}

double Clock::Scale() const {
    tsa::MutexLock lock(mu_);
    return scale_;
}

void Clock::Advance(Nanos elapsed) {
    if (elapsed < Nanos::zero()) {
        throw std::invalid_argument("the clock cannot advance by a negative time");
    }
    {
        tsa::MutexLock lock(mu_);
        CheckWallMoveLocked(elapsed);
        Rebase();
        sim_base_ += elapsed;
    }
    WakeWaiters();
}

void Clock::MoveWall(Nanos delta) {
    tsa::MutexLock lock(mu_);
    CheckWallMoveLocked(delta);
    wall_offset_ += delta;
}

void Clock::SetWall(WallTime now) {
    if (now < kEarliestWall || now > kLatestWall) {
        ThrowOutOfRange();
    }
    tsa::MutexLock lock(mu_);
    // From the origin, which the range keeps within what nanoseconds hold.
    wall_offset_ = std::chrono::duration_cast<Nanos>(now - wall_origin_) - NowLocked();
}

void Clock::Reset() {
    {
        tsa::MutexLock lock(mu_);
        real_base_ = Steady::now();
        sim_base_ = Nanos::zero();
        scale_ = 1.0;
        wall_origin_ = std::chrono::system_clock::now();
        wall_offset_ = Nanos::zero();
    }
    WakeWaiters();
}

Clock::Nanos Clock::DeadlineAfter(Nanos timeout) const {
    if (timeout == kNever) {
        return kNever;
    }
    const Nanos now = Now();
    return timeout >= kNever - now ? kNever : now + timeout;
}

Clock::Steady::time_point Clock::RealDeadline(Nanos deadline) const {
    tsa::MutexLock lock(mu_);
    const auto now_real = Steady::now();
    if (deadline == kNever) {
        return now_real + kLongestRealWait;
    }
    const auto sim_left = std::chrono::duration<double, std::nano>(deadline - NowLocked());
    const auto real_left = sim_left / scale_;
    if (real_left >= std::chrono::duration<double, std::nano>(kLongestRealWait)) {
        return now_real + kLongestRealWait;
    }
    // Round up so a wait never ends a hair before its simulated deadline.
    return now_real + std::chrono::ceil<Nanos>(real_left);
}

bool Clock::WaitStep(tsa::Mutex& m, tsa::CondVar& cv, Nanos deadline) const {
    if (deadline != kNever && Now() >= deadline) {
        return false;
    }
    cv.WaitUntil(m, RealDeadline(deadline));
    return true;
}

void Clock::Sleep(Nanos duration) {
    if (duration <= Nanos::zero()) {
        std::this_thread::yield();
        return;
    }
    const Nanos deadline = DeadlineAfter(duration);
    tsa::MutexLock lock(sleep_mu_);
    while (WaitStep(sleep_mu_, sleep_cv_, deadline)) {
    }
}

void Clock::AddWaiters(tsa::Mutex& m, tsa::CondVar& cv) {
    tsa::MutexLock lock(listeners_mu_);
    listeners_.push_back({&m, &cv});
}

void Clock::WakeWaiters() {
    tsa::MutexLock lock(listeners_mu_);
    for (const Waiters& w : listeners_) {
        // Taking the waiters' mutex orders this wake-up after any deadline a waiter has
        // just computed with the old pace.
        { tsa::MutexLock waiter_lock(*w.mutex); }
        w.cv->NotifyAll();
    }
}

}  // namespace winsim::detail
