// Named kernel objects as the simulated machine arranges them: held by other processes, one
// namespace for a service's session, and a reset that forgets every object.

#include <gtest/gtest.h>

#include "arrange.h"
#include "winapi/windows_api.h"

namespace {

class MachineMutexTest : public ::testing::Test {
  protected:
    void SetUp() override { arrange::FreshMachine(); }
};

// A service runs in session 0, where the global and the local namespace are one.
TEST_F(MachineMutexTest, GlobalAndLocalPrefixesNameOneObject) {
    HANDLE first = CreateMutexW(nullptr, TRUE, L"Global\\_OrvRunningMutex");
    ASSERT_NE(first, nullptr);
    HANDLE local = CreateMutexW(nullptr, FALSE, L"Local\\_OrvRunningMutex");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    HANDLE bare = OpenMutexW(SYNCHRONIZE, FALSE, L"_OrvRunningMutex");
    EXPECT_NE(bare, nullptr);
    CloseHandle(bare);
    CloseHandle(local);
    ReleaseMutex(first);
    CloseHandle(first);
}

TEST_F(MachineMutexTest, MutexHeldByAnotherProcessIsOpenedWithoutOwnership) {
    winsim::objects::HoldMutexElsewhere(L"Global\\_OrvRunningMutex");

    HANDLE mutex = CreateMutexW(nullptr, TRUE, L"Global\\_OrvRunningMutex");
    ASSERT_NE(mutex, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(WaitForSingleObject(mutex, 20), WAIT_TIMEOUT);
    EXPECT_FALSE(ReleaseMutex(mutex));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_OWNER));

    ASSERT_TRUE(winsim::objects::ReleaseMutexElsewhere(L"Global\\_OrvRunningMutex", true));
    EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_ABANDONED_0);
    EXPECT_TRUE(ReleaseMutex(mutex));
    CloseHandle(mutex);
}

TEST_F(MachineMutexTest, ResetMachineInvalidatesEveryEarlierHandle) {
    HANDLE event = CreateEventW(nullptr, TRUE, TRUE, L"Survivor");
    arrange::FreshMachine();
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(OpenEventW(SYNCHRONIZE, FALSE, L"Survivor"), nullptr);
    HANDLE fresh = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    EXPECT_NE(fresh, event) << "handle values are never reused";
    CloseHandle(fresh);
}

}  // namespace
