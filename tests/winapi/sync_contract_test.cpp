// Events, mutexes and the two wait calls, as any Win32 implementation must behave.

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "contract_platform.h"
#include "winapi/windows_api.h"

namespace {

class WaitTest : public ::testing::Test {
  protected:
    void SetUp() override { contract::FreshMachine(); }

    static HANDLE AutoEvent(bool signaled = false) {
        return CreateEventW(nullptr, FALSE, signaled, nullptr);
    }
    static HANDLE ManualEvent(bool signaled = false) {
        return CreateEventW(nullptr, TRUE, signaled, nullptr);
    }
    static bool IsSignaled(HANDLE h) { return WaitForSingleObject(h, 0) == WAIT_OBJECT_0; }
};

TEST_F(WaitTest, WaitAnyTakesTheLowestSignaledOnlyAndWaitAllNothingUntilAllAreSignaled) {
    HANDLE events[3] = {AutoEvent(false), AutoEvent(true), AutoEvent(true)};
    EXPECT_EQ(WaitForMultipleObjects(3, events, FALSE, 0), WAIT_OBJECT_0 + 1);
    // Index 2 was not returned, so it stays signalled; index 1 was consumed.
    EXPECT_EQ(WaitForMultipleObjects(3, events, FALSE, 0), WAIT_OBJECT_0 + 2);
    EXPECT_EQ(WaitForMultipleObjects(3, events, FALSE, 0), WAIT_TIMEOUT);

    HANDLE manual[2] = {ManualEvent(true), ManualEvent(true)};
    EXPECT_EQ(WaitForMultipleObjects(2, manual, FALSE, INFINITE), WAIT_OBJECT_0);
    EXPECT_TRUE(IsSignaled(manual[0]) && IsSignaled(manual[1])) << "manual events are not taken";
    for (HANDLE h : {events[0], events[1], events[2], manual[0], manual[1]}) {
        CloseHandle(h);
    }

    events[0] = AutoEvent(true);
    events[1] = AutoEvent(false);
    EXPECT_EQ(WaitForMultipleObjects(2, events, TRUE, 0), WAIT_TIMEOUT);
    EXPECT_TRUE(IsSignaled(events[0])) << "a failed wait-all must not consume the signalled event";

    SetEvent(events[0]);
    std::thread setter([&] { SetEvent(events[1]); });
    EXPECT_EQ(WaitForMultipleObjects(2, events, TRUE, INFINITE), WAIT_OBJECT_0);
    setter.join();
    EXPECT_FALSE(IsSignaled(events[0]));
    EXPECT_FALSE(IsSignaled(events[1]));
    CloseHandle(events[0]);
    CloseHandle(events[1]);
}

TEST_F(WaitTest, AutoResetReleasesOneWaiterPerSetAndManualResetAllUntilReset) {
    HANDLE event = AutoEvent();
    std::atomic<int> released{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 4; ++i) {
        waiters.emplace_back([&] {
            EXPECT_EQ(WaitForSingleObject(event, INFINITE), WAIT_OBJECT_0);
            ++released;
        });
    }
    for (int set = 1; set <= 4; ++set) {
        SetEvent(event);
        while (released.load() < set) {
            std::this_thread::yield();
        }
        EXPECT_EQ(released.load(), set);
    }
    for (auto& t : waiters) {
        t.join();
    }
    EXPECT_FALSE(IsSignaled(event));
    CloseHandle(event);

    HANDLE manual = ManualEvent();
    waiters.clear();
    for (int i = 0; i < 3; ++i) {
        waiters.emplace_back(
            [&] { EXPECT_EQ(WaitForSingleObject(manual, INFINITE), WAIT_OBJECT_0); });
    }
    SetEvent(manual);
    for (auto& t : waiters) {
        t.join();
    }
    EXPECT_TRUE(IsSignaled(manual));
    ResetEvent(manual);
    EXPECT_EQ(WaitForSingleObject(manual, 10), WAIT_TIMEOUT);
    CloseHandle(manual);
}

// Handle values are reused on Windows, so the closed handle is used before anything else
// may create a handle (gtest's own output included).
TEST_F(WaitTest, BadHandlesAndHandleCountsFailAsInvalid) {
    HANDLE event = ManualEvent(true);
    HANDLE closed = ManualEvent(true);
    ASSERT_TRUE(CloseHandle(closed));

    SetLastError(0);
    const DWORD single = WaitForSingleObject(closed, 0);
    const DWORD single_error = GetLastError();
    HANDLE mixed[2] = {event, closed};
    const DWORD multiple = WaitForMultipleObjects(2, mixed, FALSE, 0);
    const DWORD multiple_error = GetLastError();
    const BOOL set = SetEvent(closed);
    const BOOL closed_again = CloseHandle(closed);
    const DWORD close_error = GetLastError();

    EXPECT_EQ(single, WAIT_FAILED);
    EXPECT_EQ(single_error, static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(multiple, WAIT_FAILED);
    EXPECT_EQ(multiple_error, static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(set);
    EXPECT_FALSE(closed_again);
    EXPECT_EQ(close_error, static_cast<DWORD>(ERROR_INVALID_HANDLE));

    EXPECT_EQ(WaitForSingleObject(nullptr, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));

    std::vector<HANDLE> many(MAXIMUM_WAIT_OBJECTS + 1, event);
    EXPECT_EQ(WaitForMultipleObjects(0, many.data(), FALSE, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(WaitForMultipleObjects(MAXIMUM_WAIT_OBJECTS + 1, many.data(), FALSE, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(WaitForMultipleObjects(MAXIMUM_WAIT_OBJECTS, many.data(), FALSE, 0), WAIT_OBJECT_0)
        << "a wait-any may name one object many times";
    SKIP_UNDER_WINE("Wine's wait-all does not check for duplicate handles");
    EXPECT_EQ(WaitForMultipleObjects(2, many.data(), TRUE, 0), WAIT_FAILED) << "wait-all, twice";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    CloseHandle(event);
}

TEST_F(WaitTest, LastErrorBelongsToEachThread) {
    std::atomic<int> step{0};
    DWORD theirs_at_start = 1;
    DWORD theirs_after = 0;
    std::thread other([&] {
        theirs_at_start = GetLastError();
        while (step.load() != 1) {
        }
        SetLastError(99);
        theirs_after = GetLastError();
        step = 2;
    });
    // Nothing between setting and reading ours but the other thread's SetLastError.
    SetLastError(1234);
    step = 1;
    while (step.load() != 2) {
    }
    EXPECT_EQ(GetLastError(), 1234u);
    other.join();
    EXPECT_EQ(theirs_at_start, 0u) << "a new thread starts without an error";
    EXPECT_EQ(theirs_after, 99u);
}

class MutexTest : public WaitTest {};

TEST_F(MutexTest, OwnerMayReenterAndOnlyOwnerReleases) {
    HANDLE mutex = CreateMutexW(nullptr, TRUE, nullptr);
    ASSERT_NE(mutex, nullptr);
    EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0);  // recursion count 2

    std::thread other([&] {
        EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_TIMEOUT);
        EXPECT_FALSE(ReleaseMutex(mutex));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_OWNER));
    });
    other.join();

    EXPECT_TRUE(ReleaseMutex(mutex));
    std::thread still_owned([&] { EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_TIMEOUT); });
    still_owned.join();

    // A blocked waiter gets the mutex once the last recursion is released.
    std::atomic<bool> acquired{false};
    std::thread waiter([&] {
        EXPECT_EQ(WaitForSingleObject(mutex, INFINITE), WAIT_OBJECT_0);
        acquired = true;
        EXPECT_TRUE(ReleaseMutex(mutex));
    });
    Sleep(20);
    EXPECT_FALSE(acquired.load());
    EXPECT_TRUE(ReleaseMutex(mutex));
    waiter.join();
    EXPECT_TRUE(acquired.load());
    EXPECT_FALSE(ReleaseMutex(mutex));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_OWNER));
    CloseHandle(mutex);
}

TEST_F(MutexTest, MutexOfAThreadThatEndedIsAbandonedOnce) {
    HANDLE mutex = CreateMutexW(nullptr, FALSE, nullptr);
    HANDLE other = CreateMutexW(nullptr, FALSE, nullptr);
    HANDLE event = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    std::thread owner([&] {
        EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0);
        EXPECT_EQ(WaitForSingleObject(other, 0), WAIT_OBJECT_0);
    });
    owner.join();
    EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_ABANDONED_0);
    // The abandoned state is reported once; the mutex now belongs to this thread.
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0);
    EXPECT_TRUE(ReleaseMutex(mutex));

    HANDLE both[2] = {event, other};
    EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 0), WAIT_ABANDONED_0)
        << "a wait-all names no index, whichever mutex was abandoned";
    EXPECT_TRUE(ReleaseMutex(other)) << "wait-all took the mutex";
    for (HANDLE h : {mutex, other, event}) {
        CloseHandle(h);
    }
}

TEST_F(MutexTest, NamedObjectsExistOnceAndKeepTheirParameters) {
    const std::wstring name = contract::Unique(L"OrvContractMutex");
    SetLastError(ERROR_GEN_FAILURE);
    HANDLE first = CreateMutexW(nullptr, TRUE, (L"Local\\" + name).c_str());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS)) << "a new object clears it";

    std::thread other([&] {
        HANDLE second = CreateMutexW(nullptr, TRUE, name.c_str());
        ASSERT_NE(second, nullptr);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
        EXPECT_FALSE(ReleaseMutex(second)) << "initial ownership applies only to a new mutex";
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_OWNER));
        EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_TIMEOUT);
        CloseHandle(second);
    });
    other.join();

    HANDLE clash = CreateEventW(nullptr, TRUE, FALSE, name.c_str());
    EXPECT_EQ(clash, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));

    ReleaseMutex(first);
    CloseHandle(first);
    EXPECT_EQ(OpenMutexW(SYNCHRONIZE, FALSE, name.c_str()), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    // A named event is shared too, and keeps the parameters it was created with.
    SetLastError(ERROR_GEN_FAILURE);
    HANDLE a = CreateEventW(nullptr, TRUE, FALSE, (L"Local\\" + name).c_str());
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    HANDLE b = CreateEventW(nullptr, FALSE, TRUE, name.c_str());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(WaitForSingleObject(b, 0), WAIT_TIMEOUT) << "the existing event keeps its state";
    SetEvent(b);
    EXPECT_EQ(WaitForSingleObject(a, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(a, 0), WAIT_OBJECT_0) << "and stays manual-reset";

    HANDLE opened = OpenEventW(SYNCHRONIZE | EVENT_MODIFY_STATE, FALSE, name.c_str());
    ASSERT_NE(opened, nullptr);
    ResetEvent(opened);
    EXPECT_EQ(WaitForSingleObject(a, 0), WAIT_TIMEOUT);
    CloseHandle(opened);
    CloseHandle(a);
    CloseHandle(b);
}

}  // namespace
