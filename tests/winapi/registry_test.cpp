// Registry keys and values: names without regard to case, RegGetValueW's results and size
// protocol, access rights, deletion.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "arrange.h"
#include "winapi/windows_api.h"

namespace {

constexpr const wchar_t* kKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Setup\\State";

class RegistryTest : public ::testing::Test {
  protected:
    void SetUp() override { arrange::FreshMachine(); }

    static LSTATUS SetString(HKEY key, const wchar_t* name, const std::wstring& value) {
        return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                              static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
    static HKEY Create(const wchar_t* path, REGSAM access = KEY_ALL_ACCESS) {
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  access, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        return key;
    }
};

TEST_F(RegistryTest, KeyAndValueNamesIgnoreCaseAndKeepTheirOwn) {
    HKEY key = Create(kKey);
    ASSERT_EQ(SetString(key, L"ImageState", L"IMAGE_STATE_COMPLETE"), ERROR_SUCCESS);
    RegCloseKey(key);

    wchar_t text[64] = {};
    DWORD size = sizeof(text);
    EXPECT_EQ(RegGetValueW(HKEY_LOCAL_MACHINE,
                           L"software\\MICROSOFT\\windows\\currentversion\\SETUP\\state",
                           L"imagestate", RRF_RT_REG_SZ, nullptr, text, &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(text, L"IMAGE_STATE_COMPLETE");

    HKEY setup = nullptr;
    ASSERT_EQ(
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\microsoft\\Windows\\CurrentVersion\\setup", 0,
                      KEY_READ, &setup),
        ERROR_SUCCESS);
    wchar_t name[32];
    DWORD chars = 32;
    ASSERT_EQ(RegEnumKeyExW(setup, 0, name, &chars, nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_STREQ(name, L"State");
    EXPECT_EQ(chars, 5u);
    chars = 32;
    EXPECT_EQ(RegEnumKeyExW(setup, 1, name, &chars, nullptr, nullptr, nullptr, nullptr),
              ERROR_NO_MORE_ITEMS);
    RegCloseKey(setup);

    // Writing under another spelling replaces the value rather than adding one.
    key = Create(L"software\\microsoft\\windows\\currentversion\\setup\\STATE");
    ASSERT_EQ(SetString(key, L"IMAGESTATE", L"IMAGE_STATE_UNDEPLOYABLE"), ERROR_SUCCESS);
    DWORD index_chars = 32;
    EXPECT_EQ(RegEnumValueW(key, 1, name, &index_chars, nullptr, nullptr, nullptr, nullptr),
              ERROR_NO_MORE_ITEMS);
    RegCloseKey(key);
}

TEST_F(RegistryTest, GetValueReportsSizesTypesAndMissingItemsAsWindowsDoes) {
    HKEY key = Create(kKey);
    const std::wstring text = L"IMAGE_STATE_COMPLETE";
    ASSERT_EQ(SetString(key, L"ImageState", text), ERROR_SUCCESS);
    const DWORD one = 1;
    ASSERT_EQ(RegSetValueExW(key, L"Flag", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one),
                             sizeof(one)),
              ERROR_SUCCESS);

    const DWORD needed = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    DWORD size = 0;
    DWORD type = REG_NONE;
    EXPECT_EQ(RegGetValueW(key, nullptr, L"ImageState", RRF_RT_REG_SZ, &type, nullptr, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(size, needed);
    EXPECT_EQ(type, REG_SZ);

    std::vector<wchar_t> small(text.size());
    size = static_cast<DWORD>(small.size() * sizeof(wchar_t));
    EXPECT_EQ(
        RegGetValueW(key, nullptr, L"ImageState", RRF_RT_REG_SZ, nullptr, small.data(), &size),
        ERROR_MORE_DATA);
    EXPECT_EQ(size, needed);

    DWORD flag = 0;
    size = sizeof(flag);
    EXPECT_EQ(RegGetValueW(key, nullptr, L"Flag", RRF_RT_REG_DWORD, nullptr, &flag, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(flag, 1u);
    size = sizeof(flag);
    EXPECT_EQ(RegGetValueW(key, nullptr, L"ImageState", RRF_RT_REG_DWORD, nullptr, &flag, &size),
              ERROR_UNSUPPORTED_TYPE);
    wchar_t buffer[32];
    size = sizeof(buffer);
    EXPECT_EQ(RegGetValueW(key, nullptr, L"Flag", RRF_RT_REG_SZ, nullptr, buffer, &size),
              ERROR_UNSUPPORTED_TYPE);

    EXPECT_EQ(RegGetValueW(key, nullptr, L"Missing", RRF_RT_ANY, nullptr, nullptr, nullptr),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegGetValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Missing", L"X", RRF_RT_ANY, nullptr,
                           nullptr, nullptr),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegGetValueW(key, nullptr, L"Flag", 0, nullptr, nullptr, nullptr),
              ERROR_INVALID_PARAMETER);
    RegCloseKey(key);
}

TEST_F(RegistryTest, StringStoredWithoutTerminatorIsReadBackTerminated) {
    HKEY key = Create(kKey);
    const std::wstring text = L"ABC";
    ASSERT_EQ(RegSetValueExW(key, L"Raw", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.data()),
                             static_cast<DWORD>(text.size() * sizeof(wchar_t))),
              ERROR_SUCCESS);
    DWORD size = 0;
    ASSERT_EQ(RegGetValueW(key, nullptr, L"Raw", RRF_RT_REG_SZ, nullptr, nullptr, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(size, 4 * sizeof(wchar_t));
    wchar_t buffer[8];
    std::fill(std::begin(buffer), std::end(buffer), L'#');
    size = sizeof(buffer);
    ASSERT_EQ(RegGetValueW(key, nullptr, L"Raw", RRF_RT_REG_SZ, nullptr, buffer, &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(buffer, L"ABC");

    // RegQueryValueExW hands out the raw bytes, without adding a terminator.
    size = 0;
    ASSERT_EQ(RegQueryValueExW(key, L"Raw", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 3 * sizeof(wchar_t));
    RegCloseKey(key);
}

TEST_F(RegistryTest, AccessRightsOfTheHandleAreEnforced) {
    RegCloseKey(Create(kKey));
    HKEY reader = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ, &reader), ERROR_SUCCESS);
    EXPECT_EQ(SetString(reader, L"ImageState", L"x"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValueW(reader, L"ImageState"), ERROR_ACCESS_DENIED);
    RegCloseKey(reader);

    HKEY writer = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, KEY_SET_VALUE, &writer), ERROR_SUCCESS);
    EXPECT_EQ(SetString(writer, L"ImageState", L"x"), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExW(writer, L"ImageState", nullptr, nullptr, nullptr, nullptr),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegNotifyChangeKeyValue(writer, FALSE, REG_NOTIFY_CHANGE_LAST_SET, nullptr, FALSE),
              ERROR_ACCESS_DENIED);
    RegCloseKey(writer);
}

TEST_F(RegistryTest, DeletingKeysFollowsWindowsRules) {
    RegCloseKey(Create(L"SOFTWARE\\Orv\\A\\B"));
    HKEY a = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Orv\\A", 0, KEY_READ, &a),
              ERROR_SUCCESS);

    EXPECT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Orv\\A"), ERROR_ACCESS_DENIED)
        << "A has a subkey";
    EXPECT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Orv\\Nothing"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Orv\\A"), ERROR_SUCCESS);

    HKEY gone = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Orv\\A\\B", 0, KEY_READ, &gone),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegQueryValueExW(a, L"X", nullptr, nullptr, nullptr, nullptr), ERROR_KEY_DELETED)
        << "a handle to a deleted key stays open but reports the deletion";
    EXPECT_EQ(RegCloseKey(a), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(a), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryTest, MachineArrangedValuesAreVisibleThroughWin32Reads) {
    winsim::registry::SetDword(L"SYSTEM\\CurrentControlSet\\Services\\OrvService", L"Start", 3);
    DWORD start = 0;
    DWORD size = sizeof(start);
    EXPECT_EQ(RegGetValueW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Services\\ORVSERVICE",
                           L"START", RRF_RT_REG_DWORD, nullptr, &start, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(start, 3u);
}

TEST_F(RegistryTest, TypeRestrictionsFollowTheRrfFlags) {
    HKEY key = Create(kKey);
    const std::wstring path = L"%SystemRoot%\\x";
    ASSERT_EQ(
        RegSetValueExW(key, L"Path", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                       static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t))),
        ERROR_SUCCESS);
    const BYTE four[4] = {1, 0, 0, 0};
    const BYTE three[3] = {1, 0, 0};
    ASSERT_EQ(RegSetValueExW(key, L"Four", 0, REG_BINARY, four, sizeof(four)), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key, L"Three", 0, REG_BINARY, three, sizeof(three)), ERROR_SUCCESS);

    DWORD type = REG_NONE;
    EXPECT_EQ(RegGetValueW(key, nullptr, L"Path", RRF_RT_REG_SZ, &type, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ) << "an expandable string is handed out expanded";
    EXPECT_EQ(RegGetValueW(key, nullptr, L"Path", RRF_RT_REG_EXPAND_SZ, &type, nullptr, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegGetValueW(key, nullptr, L"Path", RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, &type,
                           nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(type, REG_EXPAND_SZ);
    EXPECT_EQ(
        RegGetValueW(key, nullptr, L"Path", RRF_RT_REG_SZ | RRF_NOEXPAND, &type, nullptr, nullptr),
        ERROR_UNSUPPORTED_TYPE);

    DWORD value = 0;
    DWORD size = sizeof(value);
    EXPECT_EQ(RegGetValueW(key, nullptr, L"Four", RRF_RT_DWORD, &type, &value, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(value, 1u);
    EXPECT_EQ(RegGetValueW(key, nullptr, L"Three", RRF_RT_DWORD, &type, &value, &size),
              ERROR_DATATYPE_MISMATCH);
    EXPECT_EQ(RegGetValueW(key, nullptr, L"Four", RRF_RT_REG_DWORD, &type, &value, &size),
              ERROR_UNSUPPORTED_TYPE);

    wchar_t small[4];
    std::fill(std::begin(small), std::end(small), L'#');
    size = sizeof(small);
    EXPECT_EQ(RegGetValueW(key, nullptr, L"Path", RRF_RT_REG_SZ | RRF_ZEROONFAILURE, nullptr, small,
                           &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(small[0], L'\0');
    EXPECT_EQ(small[3], L'\0');
    RegCloseKey(key);
}

}  // namespace
