// The clocks and timed waits as any Win32 implementation must behave, unscaled.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <thread>

#include "contract_platform.h"
#include "winapi/windows_api.h"

namespace {

class TimeTest : public ::testing::Test {
  protected:
    void SetUp() override { contract::FreshMachine(); }
};

TEST_F(TimeTest, SystemTimeAndTime64AgreeAndEachThreadHasItsOwnId) {
    FILETIME ft{};
    GetSystemTimeAsFileTime(&ft);
    const __time64_t now = _time64(nullptr);
    const uint64_t ticks = (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    const auto unix_seconds = static_cast<int64_t>(ticks / 10000000ull) - 11644473600ll;
    EXPECT_NEAR(static_cast<double>(unix_seconds), static_cast<double>(now), 2.0);

    __time64_t stored = 0;
    const __time64_t returned = _time64(&stored);
    EXPECT_EQ(returned, stored);

    const DWORD mine = GetCurrentThreadId();
    DWORD theirs = mine;
    std::thread other([&] { theirs = GetCurrentThreadId(); });
    other.join();
    EXPECT_NE(theirs, mine) << "each thread has its own id";
    EXPECT_EQ(GetCurrentThreadId(), mine);
}

// Windows may end a timed wait up to one timer interrupt (about 16 ms) early.
constexpr std::chrono::milliseconds kTimerInterval{16};

// Durations are measured on the steady clock: Wine's tick count is a page the wine server
// refreshes, which lags by more than one timer interval on a loaded machine.
TEST_F(TimeTest, SleepsAndTimedWaitsLastAtLeastTheirTimeout) {
    using std::chrono::milliseconds;
    using std::chrono::steady_clock;
    const ULONGLONG ticksBefore = GetTickCount64();
    const auto before = steady_clock::now();
    Sleep(100);
    const auto slept = steady_clock::now();
    EXPECT_GE(slept - before + kTimerInterval, milliseconds(100));

    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    EXPECT_EQ(WaitForSingleObject(event, 100), WAIT_TIMEOUT);
    EXPECT_GE(steady_clock::now() - slept + kTimerInterval, milliseconds(100));
    CloseHandle(event);
    EXPECT_GT(GetTickCount64(), ticksBefore);
}

}  // namespace
