// Registry keys and values as any Win32 implementation must behave: names without regard to
// case, RegGetValueW's results and size protocol, access rights, deletion, and
// RegNotifyChangeKeyValue's one-shot change notification through an event or a blocking wait.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cwctype>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "contract_platform.h"
#include "winapi/windows_api.h"

namespace {

class RegistryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        contract::FreshMachine();
        RegDeleteTreeW(contract::TestRoot(), base_.c_str());
        event_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);  // after the reset, which ends it
        key_ = Create(L"State");
        ASSERT_NE(key_, nullptr);
    }
    void TearDown() override {
        if (key_ != nullptr) {
            RegCloseKey(key_);
        }
        CloseHandle(event_);
        EXPECT_EQ(RegDeleteTreeW(contract::TestRoot(), base_.c_str()), ERROR_SUCCESS);
    }

    // `relative` below this test's own key.
    std::wstring Path(const std::wstring& relative) const { return base_ + L"\\" + relative; }

    HKEY Create(const std::wstring& relative, REGSAM access = KEY_ALL_ACCESS) const {
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyExW(contract::TestRoot(), Path(relative).c_str(), 0, nullptr,
                                  REG_OPTION_NON_VOLATILE, access, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        return key;
    }
    HKEY Open(const std::wstring& relative, REGSAM access) const {
        HKEY key = nullptr;
        EXPECT_EQ(RegOpenKeyExW(contract::TestRoot(), Path(relative).c_str(), 0, access, &key),
                  ERROR_SUCCESS);
        return key;
    }
    static LSTATUS SetString(HKEY key, const wchar_t* name, const std::wstring& value,
                             DWORD type = REG_SZ) {
        return RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                              static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }

    LSTATUS Watch(BOOL subtree = FALSE, DWORD filter = REG_NOTIFY_CHANGE_LAST_SET) {
        return RegNotifyChangeKeyValue(key_, subtree, filter, event_, TRUE);
    }
    void WriteValue(const std::wstring& relative, const wchar_t* name, DWORD tick = 0) const {
        ASSERT_EQ(RegSetKeyValueW(contract::TestRoot(), Path(relative).c_str(), name, REG_DWORD,
                                  &tick, sizeof(tick)),
                  ERROR_SUCCESS);
    }
    bool SignaledNow() const { return WaitForSingleObject(event_, 0) == WAIT_OBJECT_0; }
    // Long enough for any machine to deliver a notification that is due; passing tests never
    // wait for it.
    bool SignaledSoon() const { return WaitForSingleObject(event_, 10000) == WAIT_OBJECT_0; }

    const std::wstring base_ = L"Software\\" + contract::Unique(L"OrvContractTests");
    HKEY key_ = nullptr;
    HANDLE event_ = nullptr;
};

TEST_F(RegistryTest, KeyAndValueNamesIgnoreCaseAndKeepTheirOwn) {
    ASSERT_EQ(SetString(key_, L"ImageState", L"IMAGE_STATE_COMPLETE"), ERROR_SUCCESS);

    wchar_t text[64] = {};
    DWORD size = sizeof(text);
    EXPECT_EQ(RegGetValueW(contract::TestRoot(), Path(L"STATE").c_str(), L"imagestate",
                           RRF_RT_REG_SZ, nullptr, text, &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(text, L"IMAGE_STATE_COMPLETE");

    HKEY parent = nullptr;
    std::wstring upper = base_;
    std::transform(upper.begin(), upper.end(), upper.begin(), std::towupper);
    ASSERT_EQ(RegOpenKeyExW(contract::TestRoot(), upper.c_str(), 0, KEY_READ, &parent),
              ERROR_SUCCESS);
    wchar_t name[32];
    DWORD chars = 32;
    ASSERT_EQ(RegEnumKeyExW(parent, 0, name, &chars, nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_STREQ(name, L"State");
    EXPECT_EQ(chars, 5u);
    chars = 32;
    EXPECT_EQ(RegEnumKeyExW(parent, 1, name, &chars, nullptr, nullptr, nullptr, nullptr),
              ERROR_NO_MORE_ITEMS);
    RegCloseKey(parent);

    // Writing under another spelling replaces the value rather than adding one.
    HKEY again = Create(L"state");
    ASSERT_EQ(SetString(again, L"IMAGESTATE", L"IMAGE_STATE_UNDEPLOYABLE"), ERROR_SUCCESS);
    chars = 32;
    EXPECT_EQ(RegEnumValueW(again, 1, name, &chars, nullptr, nullptr, nullptr, nullptr),
              ERROR_NO_MORE_ITEMS);
    RegCloseKey(again);
}

TEST_F(RegistryTest, GetValueReportsSizesAndMissingItemsAndTerminatesStrings) {
    const std::wstring text = L"IMAGE_STATE_COMPLETE";
    ASSERT_EQ(SetString(key_, L"ImageState", text), ERROR_SUCCESS);
    const DWORD needed = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    DWORD size = 0;
    EXPECT_EQ(RegGetValueW(key_, nullptr, L"ImageState", RRF_RT_REG_SZ, nullptr, nullptr, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(size, needed);

    wchar_t small[4];
    std::fill(std::begin(small), std::end(small), L'#');
    size = sizeof(small);
    EXPECT_EQ(RegGetValueW(key_, nullptr, L"ImageState", RRF_RT_REG_SZ | RRF_ZEROONFAILURE, nullptr,
                           small, &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, needed);
    EXPECT_EQ(small[0], L'\0');
    EXPECT_EQ(small[3], L'\0');

    EXPECT_EQ(RegGetValueW(key_, nullptr, L"Missing", RRF_RT_ANY, nullptr, nullptr, nullptr),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegGetValueW(contract::TestRoot(), Path(L"Missing").c_str(), L"X", RRF_RT_ANY,
                           nullptr, nullptr, nullptr),
              ERROR_FILE_NOT_FOUND);

    // Windows stores a terminator the count left out when one follows in memory; here none
    // does, so the value holds exactly the three characters.
    const std::wstring raw = L"ABCD";
    ASSERT_EQ(RegSetValueExW(key_, L"Raw", 0, REG_SZ, reinterpret_cast<const BYTE*>(raw.data()),
                             static_cast<DWORD>(3 * sizeof(wchar_t))),
              ERROR_SUCCESS);
    // Whether the size query already counts the missing terminator is not documented; the
    // query-allocate-read protocol must end with the string terminated either way.
    size = 0;
    ASSERT_EQ(RegGetValueW(key_, nullptr, L"Raw", RRF_RT_REG_SZ, nullptr, nullptr, &size),
              ERROR_SUCCESS);
    EXPECT_GE(size, 3 * sizeof(wchar_t));
    std::vector<wchar_t> buffer(size / sizeof(wchar_t), L'#');
    LSTATUS read =
        RegGetValueW(key_, nullptr, L"Raw", RRF_RT_REG_SZ, nullptr, buffer.data(), &size);
    if (read == ERROR_MORE_DATA) {
        EXPECT_EQ(size, 4 * sizeof(wchar_t));
        buffer.assign(size / sizeof(wchar_t), L'#');
        read = RegGetValueW(key_, nullptr, L"Raw", RRF_RT_REG_SZ, nullptr, buffer.data(), &size);
    }
    ASSERT_EQ(read, ERROR_SUCCESS);
    EXPECT_STREQ(buffer.data(), L"ABC");

    // RegQueryValueExW hands out the raw bytes, without adding a terminator.
    size = 0;
    ASSERT_EQ(RegQueryValueExW(key_, L"Raw", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 3 * sizeof(wchar_t));
}

TEST_F(RegistryTest, AccessRightsOfTheHandleAreEnforcedAndDeletingKeysFollowsWindowsRules) {
    HKEY reader = Open(L"State", KEY_READ);
    EXPECT_EQ(SetString(reader, L"ImageState", L"x"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValueW(reader, L"ImageState"), ERROR_ACCESS_DENIED);
    RegCloseKey(reader);

    HKEY writer = Open(L"State", KEY_SET_VALUE);
    EXPECT_EQ(SetString(writer, L"ImageState", L"x"), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExW(writer, L"ImageState", nullptr, nullptr, nullptr, nullptr),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegNotifyChangeKeyValue(writer, FALSE, REG_NOTIFY_CHANGE_LAST_SET, nullptr, FALSE),
              ERROR_ACCESS_DENIED);
    RegCloseKey(writer);

    RegCloseKey(Create(L"A\\B"));
    HKEY a = Open(L"A", KEY_READ);

    EXPECT_EQ(RegDeleteKeyW(contract::TestRoot(), Path(L"A").c_str()), ERROR_ACCESS_DENIED)
        << "A has a subkey";
    EXPECT_EQ(RegDeleteKeyW(contract::TestRoot(), Path(L"Nothing").c_str()), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteTreeW(contract::TestRoot(), Path(L"A").c_str()), ERROR_SUCCESS);

    HKEY gone = nullptr;
    EXPECT_EQ(RegOpenKeyExW(contract::TestRoot(), Path(L"A\\B").c_str(), 0, KEY_READ, &gone),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegOpenKeyExW(contract::TestRoot(), Path(L"A").c_str(), 0, KEY_READ, &gone),
              ERROR_FILE_NOT_FOUND)
        << "a named subkey goes with its tree";
    EXPECT_EQ(RegQueryValueExW(a, L"X", nullptr, nullptr, nullptr, nullptr), ERROR_KEY_DELETED)
        << "a handle to a deleted key stays open but reports the deletion";
    EXPECT_EQ(RegCloseKey(a), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(a), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryTest, TypeRestrictionsFollowTheRrfFlags) {
    ASSERT_EQ(SetString(key_, L"Text", L"IMAGE_STATE_COMPLETE"), ERROR_SUCCESS);
    ASSERT_EQ(SetString(key_, L"Path", L"%SystemRoot%\\x", REG_EXPAND_SZ), ERROR_SUCCESS);
    const BYTE one[4] = {1, 0, 0, 0};
    ASSERT_EQ(RegSetValueExW(key_, L"Dword", 0, REG_DWORD, one, sizeof(one)), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key_, L"Four", 0, REG_BINARY, one, sizeof(one)), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key_, L"Three", 0, REG_BINARY, one, 3), ERROR_SUCCESS);

    const struct {
        const wchar_t* value;
        DWORD flags;
        LSTATUS status;
        DWORD type = REG_NONE;  // handed out on success
    } cases[] = {
        {L"Text", RRF_RT_REG_SZ, ERROR_SUCCESS, REG_SZ},
        {L"Text", RRF_RT_REG_DWORD, ERROR_UNSUPPORTED_TYPE},
        {L"Dword", RRF_RT_REG_DWORD, ERROR_SUCCESS, REG_DWORD},
        {L"Dword", RRF_RT_REG_SZ, ERROR_UNSUPPORTED_TYPE},
        // An expandable string is handed out expanded, as REG_SZ, unless RRF_NOEXPAND.
        {L"Path", RRF_RT_REG_SZ, ERROR_SUCCESS, REG_SZ},
        {L"Path", RRF_RT_REG_EXPAND_SZ, ERROR_INVALID_PARAMETER},
        {L"Path", RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, ERROR_SUCCESS, REG_EXPAND_SZ},
        {L"Path", RRF_RT_REG_SZ | RRF_NOEXPAND, ERROR_UNSUPPORTED_TYPE},
        // RRF_RT_DWORD also takes four bytes of REG_BINARY.
        {L"Four", RRF_RT_DWORD, ERROR_SUCCESS, REG_BINARY},
        {L"Three", RRF_RT_DWORD, ERROR_DATATYPE_MISMATCH},
        {L"Four", RRF_RT_REG_DWORD, ERROR_UNSUPPORTED_TYPE},
    };
    for (const auto& c : cases) {
        BYTE data[512] = {};
        DWORD size = sizeof(data);
        DWORD type = REG_NONE;
        EXPECT_EQ(RegGetValueW(key_, nullptr, c.value, c.flags, &type, data, &size), c.status)
            << c.value << " with flags 0x" << std::hex << c.flags;
        if (c.status == ERROR_SUCCESS) {
            EXPECT_EQ(type, c.type) << c.value << " with flags 0x" << std::hex << c.flags;
        }
        if (c.status == ERROR_SUCCESS && c.type != REG_SZ && c.type != REG_EXPAND_SZ) {
            EXPECT_EQ(data[0], 1) << c.value;
        }
    }
}

TEST_F(RegistryTest, ValueChangeSignalsOnceUntilWatchedAgain) {
    ASSERT_EQ(Watch(), ERROR_SUCCESS);
    EXPECT_FALSE(SignaledNow());
    WriteValue(L"STATE", L"imagestate");
    EXPECT_TRUE(SignaledSoon());

    WriteValue(L"State", L"ImageState");
    EXPECT_FALSE(SignaledNow()) << "a notification is one-shot";

    ASSERT_EQ(Watch(), ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteValueW(key_, L"ImageState"), ERROR_SUCCESS);
    EXPECT_TRUE(SignaledSoon());
}

TEST_F(RegistryTest, OtherKeysAndOtherFiltersDoNotSignal) {
    EXPECT_EQ(RegNotifyChangeKeyValue(key_, FALSE, REG_NOTIFY_CHANGE_LAST_SET, nullptr, TRUE),
              ERROR_INVALID_HANDLE)
        << "an asynchronous watch needs an event";
    ASSERT_EQ(Watch(), ERROR_SUCCESS);
    RegCloseKey(Create(L"State\\Child"));
    ASSERT_EQ(RegSetKeyValueW(contract::TestRoot(), base_.c_str(), L"Other", REG_SZ, L"x",
                              2 * sizeof(wchar_t)),
              ERROR_SUCCESS);
    WriteValue(L"State\\Child", L"Deep");
    EXPECT_FALSE(SignaledNow())
        << "neither the parent nor a subkey is watched without bWatchSubtree";
}

// A second watch goes through a handle of its own: how a repeated watch on one handle
// combines with the pending one differs between implementations.
TEST_F(RegistryTest, SubtreeWatchSeesValuesBelowButNotNewKeys) {
    HKEY subtree = nullptr;
    ASSERT_EQ(RegOpenKeyExW(contract::TestRoot(), Path(L"State").c_str(), 0, KEY_NOTIFY, &subtree),
              ERROR_SUCCESS);
    ASSERT_EQ(RegNotifyChangeKeyValue(subtree, TRUE, REG_NOTIFY_CHANGE_LAST_SET, event_, TRUE),
              ERROR_SUCCESS);
    RegCloseKey(Create(L"State\\New"));
    EXPECT_FALSE(SignaledNow()) << "a new subkey is a name change, not a value change";
    WriteValue(L"State\\New", L"Deep");
    EXPECT_TRUE(SignaledSoon()) << "with bWatchSubtree a value change below the key counts";
    RegCloseKey(subtree);
}

TEST_F(RegistryTest, DeletingOrClosingTheWatchedKeySignalsAndUnknownFilterBitsAreRefused) {
    SKIP_UNDER_WINE(
        "Wine leaves a watch pending when its key is deleted, drops a pending notification when "
        "its key handle is closed, and accepts any filter bits");
    EXPECT_EQ(RegNotifyChangeKeyValue(key_, FALSE, 0x40, event_, TRUE), ERROR_INVALID_PARAMETER);
    ASSERT_EQ(Watch(FALSE, REG_NOTIFY_CHANGE_NAME), ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteTreeW(contract::TestRoot(), Path(L"State").c_str()), ERROR_SUCCESS);
    EXPECT_TRUE(SignaledSoon()) << "deleted";

    HKEY closed = Create(L"State");
    ASSERT_EQ(RegNotifyChangeKeyValue(closed, FALSE, REG_NOTIFY_CHANGE_LAST_SET, event_, TRUE),
              ERROR_SUCCESS);
    RegCloseKey(closed);
    EXPECT_TRUE(SignaledSoon()) << "closed";
}

TEST_F(RegistryTest, SynchronousWatchReturnsOnAChange) {
    std::atomic<bool> returned{false};
    // Keeps changing the key until the watch has returned, whichever comes first.
    std::thread writer([&] {
        for (DWORD tick = 0; !returned.load(); ++tick) {
            WriteValue(L"State", L"Tick", tick);
            Sleep(5);
        }
    });
    EXPECT_EQ(RegNotifyChangeKeyValue(key_, FALSE, REG_NOTIFY_CHANGE_LAST_SET, nullptr, FALSE),
              ERROR_SUCCESS);
    returned = true;
    writer.join();
}

}  // namespace
