#include <gtest/gtest.h>

#include <future>

#include "platform/common_base/reg_monitor.h"
#include "platform/common_base/reg_util.h"
#include "sim/trace.h"
#include "test_support.h"
#include "winapi/control/registry.h"

namespace {

constexpr wchar_t kStateKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Setup\\State";

class RegMonitorTest : public orvtest::CommonBaseFixture {
  protected:
    void SetUp() override {
        CommonBaseFixture::SetUp();
        winsim::registry::SetString(kStateKey, L"ImageState", L"IMAGE_STATE_UNDEPLOYABLE");
        ASSERT_TRUE(monitor_.Init());
    }

    // Starts WaitForChange (no time limit) on another thread and returns once it is waiting.
    std::future<std::pair<bool, DWORD>> WaitInBackground() {
        orvsim::ClearTrace();
        auto waiting = std::async(std::launch::async, [this] {
            DWORD index = 99;
            const bool changed = monitor_.WaitForChange(index, 0);
            return std::make_pair(changed, index);
        });
        EXPECT_TRUE(orvtest::EventuallyTraced("ORV::CRegMonitor", "WaitForChange"));
        return waiting;
    }

    ORV::CRegMonitor monitor_;
};

TEST_F(RegMonitorTest, EndsTheWaitWithTheIndexOfTheWatchedValueThatChanged) {
    winsim::registry::SetDword(L"SOFTWARE\\Other", L"Flag", 0);
    ASSERT_EQ(monitor_.AddMonitorKey(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Other", L"Flag", 0), 0);
    ASSERT_EQ(monitor_.AddMonitorKey(HKEY_LOCAL_MACHINE, kStateKey, L"ImageState", 0), 1);
    auto waiting = WaitInBackground();

    // Other values of the key, or an unchanged rewrite, do not end the wait.
    winsim::registry::SetString(kStateKey, L"Unrelated", L"x");
    winsim::registry::SetString(kStateKey, L"ImageState", L"IMAGE_STATE_UNDEPLOYABLE");
    EXPECT_EQ(waiting.wait_for(std::chrono::milliseconds(100)), std::future_status::timeout);

    winsim::registry::DeleteValue(kStateKey, L"ImageState");  // a deletion is a change
    ASSERT_EQ(waiting.wait_for(orvtest::kEventually), std::future_status::ready);
    EXPECT_EQ(waiting.get(), std::make_pair(true, DWORD{1}));
}

TEST_F(RegMonitorTest, StopReleasesABlockedWaitAndEveryUnusableStateEndsWaitsAtOnce) {
    ASSERT_EQ(monitor_.AddMonitorKey(HKEY_LOCAL_MACHINE, kStateKey, L"ImageState", 0), 0);
    EXPECT_EQ(monitor_.AddMonitorKey(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Missing", L"V", 0), -1);
    DWORD index = 0;
    EXPECT_FALSE(monitor_.WaitForChange(index, 20));  // a time-out
    auto waiting = WaitInBackground();
    monitor_.Stop();
    ASSERT_EQ(waiting.wait_for(orvtest::kEventually), std::future_status::ready)
        << "WaitForChange stayed blocked after Stop";
    EXPECT_FALSE(waiting.get().first);
    EXPECT_FALSE(monitor_.WaitForChange(index, 0));
    monitor_.Stop();  // a second stop is harmless

    ORV::CRegMonitor early;
    early.Stop();
    ASSERT_TRUE(early.Init());
    EXPECT_FALSE(early.WaitForChange(index, 0));
    ORV::CRegMonitor uninitialized;
    EXPECT_FALSE(uninitialized.WaitForChange(index, 0));
    EXPECT_EQ(uninitialized.AddMonitorKey(HKEY_LOCAL_MACHINE, kStateKey, L"ImageState", 0), -1);
}

class RegUtilTest : public orvtest::CommonBaseFixture {};

// DWORD reads run end to end in the startup-type scenarios; these are the string corners.
TEST_F(RegUtilTest, ReadsStringsWholeIgnoringNameCaseAndLeavesTheOutputAloneOnFailure) {
    const std::wstring longText(5000, L'x');
    winsim::registry::SetString(kStateKey, L"ImageState", longText);
    std::wstring text = L"untouched";
    ASSERT_NE(
        ORV::CRegUtil::GetRegValueOfStringType(HKEY_LOCAL_MACHINE, kStateKey, L"imagestate", text),
        0);
    EXPECT_EQ(text, longText);

    text = L"untouched";
    DWORD start = 77;
    EXPECT_EQ(
        ORV::CRegUtil::GetRegValueOfStringType(HKEY_LOCAL_MACHINE, kStateKey, L"Missing", text), 0);
    EXPECT_EQ(
        ORV::CRegUtil::GetRegValueOfDwordType(HKEY_LOCAL_MACHINE, kStateKey, L"ImageState", start),
        0);  // a string is not a DWORD
    EXPECT_EQ(text, L"untouched");
    EXPECT_EQ(start, 77u);
}

}  // namespace
