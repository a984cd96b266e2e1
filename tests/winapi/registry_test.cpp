// Registry values the simulated machine arranges, as Win32 reads see them.

#include <gtest/gtest.h>

#include "arrange.h"
#include "winapi/windows_api.h"

namespace {

class MachineRegistryTest : public ::testing::Test {
  protected:
    void SetUp() override { arrange::FreshMachine(); }
};

TEST_F(MachineRegistryTest, ArrangedValuesAreVisibleThroughWin32Reads) {
    winsim::registry::SetDword(L"SYSTEM\\CurrentControlSet\\Services\\OrvService", L"Start", 3);
    DWORD start = 0;
    DWORD size = sizeof(start);
    EXPECT_EQ(RegGetValueW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Services\\ORVSERVICE",
                           L"START", RRF_RT_REG_DWORD, nullptr, &start, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(start, 3u);
}

// Windows documents no result for a read that allows no type at all; this machine refuses it.
TEST_F(MachineRegistryTest, GetValueWithoutAnyAllowedTypeIsInvalidParameter) {
    const DWORD one = 1;
    ASSERT_EQ(
        RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Orv", L"Flag", REG_DWORD, &one, sizeof(one)),
        ERROR_SUCCESS);
    EXPECT_EQ(
        RegGetValueW(HKEY_CURRENT_USER, L"Software\\Orv", L"Flag", 0, nullptr, nullptr, nullptr),
        ERROR_INVALID_PARAMETER);
}

}  // namespace
