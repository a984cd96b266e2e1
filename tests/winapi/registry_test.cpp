// Registry values the simulated machine arranges, as Win32 reads and watches see them.

#include <gtest/gtest.h>

#include "arrange.h"
#include "winapi/windows_api.h"

namespace {

constexpr const wchar_t* kKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Setup\\State";

class MachineRegistryTest : public ::testing::Test {
  protected:
    void SetUp() override { arrange::FreshMachine(); }
};

TEST_F(MachineRegistryTest, ArrangedValuesAreReadAndSignalWatchers) {
    winsim::registry::SetDword(kKey, L"Start", 3);
    DWORD start = 0;
    DWORD size = sizeof(start);
    EXPECT_EQ(RegGetValueW(HKEY_LOCAL_MACHINE,
                           L"software\\MICROSOFT\\windows\\currentversion\\setup\\state", L"START",
                           RRF_RT_REG_DWORD, nullptr, &start, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(start, 3u);

    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, KEY_NOTIFY, &key), ERROR_SUCCESS);
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    ASSERT_EQ(RegNotifyChangeKeyValue(key, FALSE, REG_NOTIFY_CHANGE_LAST_SET, event, TRUE),
              ERROR_SUCCESS);
    winsim::registry::SetString(kKey, L"ImageState", L"IMAGE_STATE_COMPLETE");
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0) << "a write by another process";
    RegCloseKey(key);
    CloseHandle(event);
}

// Windows documents no result for a read that allows no type at all; this machine refuses it.
TEST_F(MachineRegistryTest, GetValueWithoutAnyAllowedTypeIsInvalidParameter) {
    winsim::registry::SetDword(kKey, L"Start", 3);
    EXPECT_EQ(RegGetValueW(HKEY_LOCAL_MACHINE, kKey, L"Start", 0, nullptr, nullptr, nullptr),
              ERROR_INVALID_PARAMETER);
}

}  // namespace
