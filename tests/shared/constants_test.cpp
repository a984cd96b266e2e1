// The shared constants: values, lengths, and the exported registry path as an array.

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "shared/core_utility.h"
#include "shared/shared_constants.h"
#include "winapi/windows_api.h"

namespace {

class ConstantsTest : public ::testing::Test {};

TEST_F(ConstantsTest, HeaderConstantsHoldTheirTexts) {
    const struct {
        const std::wstring& constant;
        const wchar_t* text;
        std::size_t length;
    } expected[] = {
        {kOrvRegistryPath, L"Software\\Quelro\\ORV", 19},
        {kBrokerRegistryPath, L"Software\\Quelro\\ORV\\Broker", 26},
        {kBrokerRegistryPathLower, L"Software\\Quelro\\ORV\\broker", 26},
        {kCertPinningErrorRegistryPath, L"Software\\Quelro\\ORV\\CertPinningError", 36},
        {kUserSocketName, L"afxunix-usersocket", 18},
        {kElevatedSocketName, L"afxunix-elevatedsocket", 22},
        {kFirstCallTimeName, L"firstCallTime", 13},
        {kRecentCallTimeName, L"recentCallTime", 14},
        {kPlatformEPCallCountName, L"platformEPCallCount", 19},
        {kExtensionSupportName, L"extension-support", 17},
    };
    for (const auto& e : expected) {
        EXPECT_EQ(e.constant, e.text);
        EXPECT_EQ(e.constant.size(), e.length) << std::wstring(e.text).size();
    }
    EXPECT_NE(kBrokerRegistryPath, kBrokerRegistryPathLower);
}

TEST_F(ConstantsTest, ExportedRegistryPathIsANullTerminatedArray) {
    // Read straight from the exported array (its size is checked on the symbol itself).
    EXPECT_EQ(std::wcslen(ORV::CoreUtility::kORVRegistryPathW), 19u);
    EXPECT_EQ(ORV::CoreUtility::kORVRegistryPathW[19], L'\0');
    EXPECT_EQ(std::wstring(ORV::CoreUtility::kORVRegistryPathW), kOrvRegistryPath);
}

TEST_F(ConstantsTest, BothBrokerPathsOpenTheSameRegistryKey) {
    HKEY created = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kBrokerRegistryPath.c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &created, nullptr),
              ERROR_SUCCESS);
    const DWORD written = 4711;
    ASSERT_EQ(RegSetValueExW(created, L"Probe", 0, REG_DWORD,
                             reinterpret_cast<const BYTE*>(&written), sizeof(written)),
              ERROR_SUCCESS);
    RegCloseKey(created);

    HKEY opened = nullptr;
    ASSERT_EQ(
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, kBrokerRegistryPathLower.c_str(), 0, KEY_READ, &opened),
        ERROR_SUCCESS);
    DWORD read = 0;
    DWORD size = sizeof(read);
    EXPECT_EQ(RegGetValueW(opened, nullptr, L"Probe", RRF_RT_REG_DWORD, nullptr, &read, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(read, written);
    RegCloseKey(opened);
}

}  // namespace
