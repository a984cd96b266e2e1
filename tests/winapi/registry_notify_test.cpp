// RegNotifyChangeKeyValue: one-shot change notification through an event.

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "arrange.h"
#include "winapi/windows_api.h"

namespace {

constexpr const wchar_t* kKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Setup\\State";

class RegistryNotifyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        arrange::FreshMachine();
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  &key_, nullptr),
                  ERROR_SUCCESS);
        event_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    }
    void TearDown() override {
        RegCloseKey(key_);
        CloseHandle(event_);
    }

    LSTATUS Watch(BOOL subtree = FALSE, DWORD filter = REG_NOTIFY_CHANGE_LAST_SET) {
        return RegNotifyChangeKeyValue(key_, subtree, filter, event_, TRUE);
    }
    static void WriteValue(const wchar_t* path, const wchar_t* name) {
        const std::wstring text = L"IMAGE_STATE_COMPLETE";
        ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, path, name, REG_SZ, text.c_str(),
                                  static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
    }
    bool Signaled() const { return WaitForSingleObject(event_, 0) == WAIT_OBJECT_0; }

    HKEY key_ = nullptr;
    HANDLE event_ = nullptr;
};

TEST_F(RegistryNotifyTest, ValueChangeSignalsOnceUntilWatchedAgain) {
    ASSERT_EQ(Watch(), ERROR_SUCCESS);
    EXPECT_FALSE(Signaled());
    WriteValue(L"software\\microsoft\\windows\\currentversion\\setup\\state", L"imagestate");
    EXPECT_TRUE(Signaled());

    WriteValue(kKey, L"ImageState");
    EXPECT_FALSE(Signaled()) << "a notification is one-shot";

    ASSERT_EQ(Watch(), ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteValueW(key_, L"ImageState"), ERROR_SUCCESS);
    EXPECT_TRUE(Signaled());
}

TEST_F(RegistryNotifyTest, ChangeByAnotherProcessSignals) {
    ASSERT_EQ(Watch(), ERROR_SUCCESS);
    winsim::registry::SetString(kKey, L"ImageState", L"IMAGE_STATE_COMPLETE");
    EXPECT_TRUE(Signaled());
}

TEST_F(RegistryNotifyTest, OtherKeysAndOtherFiltersDoNotSignal) {
    ASSERT_EQ(Watch(), ERROR_SUCCESS);
    WriteValue(L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Setup", L"Other");
    WriteValue(L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Setup\\State\\Child", L"Deep");
    EXPECT_FALSE(Signaled()) << "neither the parent nor a subkey is watched without bWatchSubtree";

    ASSERT_EQ(RegDeleteTreeW(key_, L"Child"), ERROR_SUCCESS);
    ASSERT_EQ(Watch(TRUE, REG_NOTIFY_CHANGE_LAST_SET), ERROR_SUCCESS);
    RegCloseKey([] {
        HKEY k = nullptr;
        RegCreateKeyExW(HKEY_LOCAL_MACHINE,
                        L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Setup\\State\\New", 0,
                        nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr);
        return k;
    }());
    EXPECT_FALSE(Signaled()) << "a new subkey is a name change, not a value change";
    WriteValue(L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Setup\\State\\New", L"Deep");
    EXPECT_TRUE(Signaled()) << "with bWatchSubtree a value change below the key counts";
}

TEST_F(RegistryNotifyTest, ClosingTheKeyOrDeletingItSignals) {
    ASSERT_EQ(Watch(), ERROR_SUCCESS);
    RegCloseKey(key_);
    EXPECT_TRUE(Signaled());

    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, KEY_NOTIFY, &key_), ERROR_SUCCESS);
    ASSERT_EQ(Watch(FALSE, REG_NOTIFY_CHANGE_NAME), ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteTreeW(HKEY_LOCAL_MACHINE, kKey), ERROR_SUCCESS);
    EXPECT_TRUE(Signaled());
}

TEST_F(RegistryNotifyTest, SynchronousWatchReturnsOnAChange) {
    std::atomic<bool> returned{false};
    // Keeps changing the key until the watch has returned, whichever comes first.
    std::thread writer([&] {
        for (DWORD tick = 0; !returned.load(); ++tick) {
            winsim::registry::SetDword(kKey, L"Tick", tick);
            Sleep(5);
        }
    });
    EXPECT_EQ(RegNotifyChangeKeyValue(key_, FALSE, REG_NOTIFY_CHANGE_LAST_SET, nullptr, FALSE),
              ERROR_SUCCESS);
    returned = true;
    writer.join();
}

TEST_F(RegistryNotifyTest, RejectsBadArguments) {
    EXPECT_EQ(RegNotifyChangeKeyValue(key_, FALSE, REG_NOTIFY_CHANGE_LAST_SET, nullptr, TRUE),
              ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegNotifyChangeKeyValue(key_, FALSE, 0x40, event_, TRUE), ERROR_INVALID_PARAMETER);
}

}  // namespace
