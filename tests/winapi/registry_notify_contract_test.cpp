// RegNotifyChangeKeyValue: one-shot change notification through an event, or a blocking wait.

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "contract_platform.h"
#include "winapi/windows_api.h"

namespace {

// Long enough for any machine to deliver a notification that is due; passing tests never
// wait for it.
constexpr DWORD kDue = 10000;

class RegistryNotifyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        contract::FreshMachine();
        RegDeleteTreeW(contract::TestRoot(), base_.c_str());
        ASSERT_EQ(RegCreateKeyExW(contract::TestRoot(), Path(L"State").c_str(), 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, &key_, nullptr),
                  ERROR_SUCCESS);
        event_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    }
    void TearDown() override {
        if (key_ != nullptr) {
            RegCloseKey(key_);
        }
        CloseHandle(event_);
        RegDeleteTreeW(contract::TestRoot(), base_.c_str());
    }

    std::wstring Path(const std::wstring& relative) const { return base_ + L"\\" + relative; }
    LSTATUS Watch(BOOL subtree = FALSE, DWORD filter = REG_NOTIFY_CHANGE_LAST_SET) {
        return RegNotifyChangeKeyValue(key_, subtree, filter, event_, TRUE);
    }
    void WriteValue(const std::wstring& relative, const wchar_t* name, DWORD tick = 0) const {
        ASSERT_EQ(RegSetKeyValueW(contract::TestRoot(), Path(relative).c_str(), name, REG_DWORD,
                                  &tick, sizeof(tick)),
                  ERROR_SUCCESS);
    }
    void CreateKey(const std::wstring& relative) const {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(contract::TestRoot(), Path(relative).c_str(), 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
    bool SignaledNow() const { return WaitForSingleObject(event_, 0) == WAIT_OBJECT_0; }
    bool SignaledSoon() const { return WaitForSingleObject(event_, kDue) == WAIT_OBJECT_0; }

    const std::wstring base_ = L"Software\\" + contract::Unique(L"OrvContractNotify");
    HKEY key_ = nullptr;
    HANDLE event_ = nullptr;
};

TEST_F(RegistryNotifyTest, ValueChangeSignalsOnceUntilWatchedAgain) {
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

TEST_F(RegistryNotifyTest, OtherKeysAndOtherFiltersDoNotSignal) {
    ASSERT_EQ(Watch(), ERROR_SUCCESS);
    CreateKey(L"State\\Child");
    ASSERT_EQ(RegSetKeyValueW(contract::TestRoot(), base_.c_str(), L"Other", REG_SZ, L"x",
                              2 * sizeof(wchar_t)),
              ERROR_SUCCESS);
    WriteValue(L"State\\Child", L"Deep");
    EXPECT_FALSE(SignaledNow())
        << "neither the parent nor a subkey is watched without bWatchSubtree";
}

// A second watch goes through a handle of its own: how a repeated watch on one handle
// combines with the pending one differs between implementations.
TEST_F(RegistryNotifyTest, SubtreeWatchSeesValuesBelowButNotNewKeys) {
    HKEY subtree = nullptr;
    ASSERT_EQ(RegOpenKeyExW(contract::TestRoot(), Path(L"State").c_str(), 0, KEY_NOTIFY, &subtree),
              ERROR_SUCCESS);
    ASSERT_EQ(RegNotifyChangeKeyValue(subtree, TRUE, REG_NOTIFY_CHANGE_LAST_SET, event_, TRUE),
              ERROR_SUCCESS);
    CreateKey(L"State\\New");
    EXPECT_FALSE(SignaledNow()) << "a new subkey is a name change, not a value change";
    WriteValue(L"State\\New", L"Deep");
    EXPECT_TRUE(SignaledSoon()) << "with bWatchSubtree a value change below the key counts";
    RegCloseKey(subtree);
}

TEST_F(RegistryNotifyTest, ClosingTheWatchedHandleSignals) {
    SKIP_UNDER_WINE("Wine drops a pending notification when its key handle is closed");
    ASSERT_EQ(Watch(), ERROR_SUCCESS);
    RegCloseKey(key_);
    key_ = nullptr;
    EXPECT_TRUE(SignaledSoon());
}

TEST_F(RegistryNotifyTest, DeletingTheWatchedKeySignals) {
    SKIP_UNDER_WINE("Wine leaves a watch pending when its key is deleted");
    ASSERT_EQ(Watch(FALSE, REG_NOTIFY_CHANGE_NAME), ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteTreeW(contract::TestRoot(), Path(L"State").c_str()), ERROR_SUCCESS);
    EXPECT_TRUE(SignaledSoon());
}

TEST_F(RegistryNotifyTest, SynchronousWatchReturnsOnAChange) {
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

TEST_F(RegistryNotifyTest, AsynchronousWatchNeedsAnEvent) {
    EXPECT_EQ(RegNotifyChangeKeyValue(key_, FALSE, REG_NOTIFY_CHANGE_LAST_SET, nullptr, TRUE),
              ERROR_INVALID_HANDLE);
}

TEST_F(RegistryNotifyTest, UnknownFilterBitsAreRefused) {
    SKIP_UNDER_WINE("Wine accepts any filter bits");
    EXPECT_EQ(RegNotifyChangeKeyValue(key_, FALSE, 0x40, event_, TRUE), ERROR_INVALID_PARAMETER);
}

}  // namespace
