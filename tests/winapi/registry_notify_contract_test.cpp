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
        RegCloseKey(key_);
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
    RegCloseKey([this] {
        HKEY k = nullptr;
        RegCreateKeyExW(contract::TestRoot(), Path(L"State\\Child").c_str(), 0, nullptr, 0,
                        KEY_ALL_ACCESS, nullptr, &k, nullptr);
        return k;
    }());
    ASSERT_EQ(RegSetKeyValueW(contract::TestRoot(), base_.c_str(), L"Other", REG_SZ, L"x",
                              2 * sizeof(wchar_t)),
              ERROR_SUCCESS);
    WriteValue(L"State\\Child", L"Deep");
    EXPECT_FALSE(SignaledNow())
        << "neither the parent nor a subkey is watched without bWatchSubtree";

    ASSERT_EQ(Watch(TRUE, REG_NOTIFY_CHANGE_LAST_SET), ERROR_SUCCESS);
    RegCloseKey([this] {
        HKEY k = nullptr;
        RegCreateKeyExW(contract::TestRoot(), Path(L"State\\New").c_str(), 0, nullptr, 0,
                        KEY_ALL_ACCESS, nullptr, &k, nullptr);
        return k;
    }());
    EXPECT_FALSE(SignaledNow()) << "a new subkey is a name change, not a value change";
    WriteValue(L"State\\New", L"Deep");
    EXPECT_TRUE(SignaledSoon()) << "with bWatchSubtree a value change below the key counts";
}

TEST_F(RegistryNotifyTest, ClosingTheKeyOrDeletingItSignals) {
    ASSERT_EQ(Watch(), ERROR_SUCCESS);
    RegCloseKey(key_);
    EXPECT_TRUE(SignaledSoon());

    ASSERT_EQ(RegOpenKeyExW(contract::TestRoot(), Path(L"State").c_str(), 0, KEY_NOTIFY, &key_),
              ERROR_SUCCESS);
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

TEST_F(RegistryNotifyTest, RejectsBadArguments) {
    EXPECT_EQ(RegNotifyChangeKeyValue(key_, FALSE, REG_NOTIFY_CHANGE_LAST_SET, nullptr, TRUE),
              ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegNotifyChangeKeyValue(key_, FALSE, 0x40, event_, TRUE), ERROR_INVALID_PARAMETER);
}

}  // namespace
