// Change notification when another process writes the simulated machine's registry.

#include <gtest/gtest.h>

#include "arrange.h"
#include "winapi/windows_api.h"

namespace {

constexpr const wchar_t* kKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Setup\\State";

class MachineRegistryNotifyTest : public ::testing::Test {
  protected:
    void SetUp() override { arrange::FreshMachine(); }
};

TEST_F(MachineRegistryNotifyTest, ChangeByAnotherProcessSignals) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    ASSERT_EQ(RegNotifyChangeKeyValue(key, FALSE, REG_NOTIFY_CHANGE_LAST_SET, event, TRUE),
              ERROR_SUCCESS);
    winsim::registry::SetString(kKey, L"ImageState", L"IMAGE_STATE_COMPLETE");
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    RegCloseKey(key);
    CloseHandle(event);
}

}  // namespace
