// The clocks and timed waits as any Win32 implementation must behave, unscaled.

#include <gtest/gtest.h>

#include <cstdint>
#include <thread>

#include "contract_platform.h"
#include "winapi/windows_api.h"

namespace {

// The tick count may advance in steps of one timer interrupt (about 16 ms on Windows).
constexpr ULONGLONG kTickStep = 16;

class TimeTest : public ::testing::Test {
  protected:
    void SetUp() override { contract::FreshMachine(); }
};

TEST_F(TimeTest, SystemTimeAndTime64Agree) {
    FILETIME ft{};
    GetSystemTimeAsFileTime(&ft);
    const __time64_t now = _time64(nullptr);
    const uint64_t ticks = (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    const auto unix_seconds = static_cast<int64_t>(ticks / 10000000ull) - 11644473600ll;
    EXPECT_NEAR(static_cast<double>(unix_seconds), static_cast<double>(now), 2.0);

    __time64_t stored = 0;
    const __time64_t returned = _time64(&stored);
    EXPECT_EQ(returned, stored);
}

TEST_F(TimeTest, SleepsAndTimedWaitsLastAtLeastTheirTimeout) {
    const ULONGLONG before = GetTickCount64();
    Sleep(100);
    const ULONGLONG slept = GetTickCount64();
    EXPECT_GE(slept - before + kTickStep, 100u);

    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    EXPECT_EQ(WaitForSingleObject(event, 100), WAIT_TIMEOUT);
    EXPECT_GE(GetTickCount64() - slept + kTickStep, 100u);
    CloseHandle(event);
}

TEST_F(TimeTest, EachThreadHasItsOwnId) {
    const DWORD mine = GetCurrentThreadId();
    DWORD theirs = mine;
    std::thread other([&] { theirs = GetCurrentThreadId(); });
    other.join();
    EXPECT_NE(theirs, mine);
    EXPECT_EQ(GetCurrentThreadId(), mine);
}

}  // namespace
