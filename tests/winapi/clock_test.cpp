// Sleeps, timed waits and the two clocks.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "arrange.h"
#include "winapi/windows_api.h"

namespace {

using std::chrono::milliseconds;

class ClockTest : public ::testing::Test {
  protected:
    void SetUp() override { arrange::FreshMachine(); }
};

TEST_F(ClockTest, ScaledSleepsAndWaitsTakeTheirFullSimulatedTimeInAFractionOfRealTime) {
    arrange::ClockScale(200);
    const ULONGLONG before = GetTickCount64();
    const arrange::RealStopwatch real;
    Sleep(30000);
    EXPECT_GE(GetTickCount64() - before, 30000u);
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    EXPECT_EQ(WaitForSingleObject(event, 10000), WAIT_TIMEOUT);
    EXPECT_GE(GetTickCount64() - before, 40000u);
    EXPECT_LT(real.Elapsed(), milliseconds(20000));
    CloseHandle(event);
}

TEST_F(ClockTest, RunningWaitAdoptsANewScale) {
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const arrange::RealStopwatch real;
    std::thread waiter([&] { EXPECT_EQ(WaitForSingleObject(event, 600000), WAIT_TIMEOUT); });
    Sleep(20);
    arrange::ClockScale(100000);
    waiter.join();
    EXPECT_LT(real.Elapsed(), milliseconds(60000));
    CloseHandle(event);
}

TEST_F(ClockTest, AdvancingTheClockEndsSleepsThatAreDue) {
    std::atomic<bool> woke{false};
    std::thread sleeper([&] {
        Sleep(3600 * 1000);
        woke = true;
    });
    // The sleeper may start its hour late; each advance covers one that has begun.
    while (!woke.load()) {
        winsim::clock::Advance(std::chrono::hours(1));
        Sleep(5);
    }
    sleeper.join();
    EXPECT_GE(GetTickCount64(), 3600u * 1000u);
}

TEST_F(ClockTest, TimeChangeMovesWallClockButNotRelativeWaits) {
    const __time64_t before = _time64(nullptr);
    const ULONGLONG ticks = GetTickCount64();
    winsim::clock::MoveWallClock(std::chrono::hours(-2));

    EXPECT_NEAR(static_cast<double>(_time64(nullptr) - before), -7200.0, 5.0);
    EXPECT_LT(GetTickCount64() - ticks, 5000u);

    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread waiter([&] {
        const ULONGLONG start = GetTickCount64();
        EXPECT_EQ(WaitForSingleObject(event, 300), WAIT_TIMEOUT);
        EXPECT_GE(GetTickCount64() - start, 300u);
    });
    winsim::clock::MoveWallClock(std::chrono::hours(24));
    waiter.join();
    CloseHandle(event);
}

}  // namespace
