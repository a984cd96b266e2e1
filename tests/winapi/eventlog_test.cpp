// Event-log subscriptions: delivery on the channel thread, queries, rendering with its
// size protocol, error notifications, closing. The time-change event the machine logs is
// checked end to end by TimeChangeTest and the clock-change scenarios.

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "winapi/control/machine_control.h"
#include "winapi/windows_api.h"

namespace {

std::wstring EventXml(int id, const std::wstring& data = L"") {
    return L"<Event xmlns='http://schemas.microsoft.com/win/2004/08/events/event'><System>"
           L"<EventID>" +
           std::to_wstring(id) +
           L"</EventID><Channel>System</Channel></System>"
           L"<EventData>" +
           data + L"</EventData></Event>";
}

struct Received {
    std::mutex mutex;
    std::vector<std::wstring> xml;
    std::vector<EVT_SUBSCRIBE_NOTIFY_ACTION> actions;
    std::vector<uintptr_t> errors;
    std::vector<DWORD> threads;
    EVT_HANDLE lastEvent = nullptr;
};

// Renders as the time-change code does: ask for the size, then render into that much. The size
// counts the terminating NUL; one byte less is refused with the same size.
DWORD CALLBACK Record(EVT_SUBSCRIBE_NOTIFY_ACTION action, PVOID context, EVT_HANDLE event) {
    auto* received = static_cast<Received*>(context);
    std::lock_guard<std::mutex> lock(received->mutex);
    received->actions.push_back(action);
    received->threads.push_back(GetCurrentThreadId());
    received->lastEvent = event;
    if (action != EvtSubscribeActionDeliver) {
        received->errors.push_back(reinterpret_cast<uintptr_t>(event));
        return 0;
    }
    DWORD used = 0;
    DWORD count = 0;
    EXPECT_FALSE(EvtRender(nullptr, event, EvtRenderEventXml, 0, nullptr, &used, &count));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    std::vector<wchar_t> buffer(used / sizeof(wchar_t));
    DWORD again = 0;
    EXPECT_FALSE(
        EvtRender(nullptr, event, EvtRenderEventXml, used - 1, buffer.data(), &again, &count));
    EXPECT_EQ(again, used);
    EXPECT_TRUE(EvtRender(nullptr, event, EvtRenderEventXml, used, buffer.data(), &used, &count));
    received->xml.emplace_back(buffer.data());
    EXPECT_EQ(used, (received->xml.back().size() + 1) * sizeof(wchar_t));
    return 0;
}

class EventLogTest : public ::testing::Test {
  protected:
    void SetUp() override { winsim::ResetMachine(); }

    Received received_;
};

TEST_F(EventLogTest, MatchingFutureEventsAndErrorsReachTheCallbackInOrderOnAChannelThread) {
    winsim::eventlog::PublishSystem(EventXml(1, L"<Data Name='Before'>1</Data>"));
    EVT_HANDLE subscription = EvtSubscribe(nullptr, nullptr, L"System", L"Event/System[EventID=1]",
                                           nullptr, &received_, Record, EvtSubscribeToFutureEvents);
    ASSERT_NE(subscription, nullptr);

    winsim::eventlog::PublishSystem(EventXml(1, L"<Data Name='First'>1</Data>"));
    winsim::eventlog::PublishSystem(EventXml(7));
    winsim::eventlog::PublishSystem(EventXml(1, L"<Data Name='Second'>2</Data>"));
    winsim::eventlog::Publish(winsim::eventlog::kApplicationChannel, EventXml(1));
    winsim::eventlog::WaitUntilDelivered();
    ASSERT_EQ(received_.xml.size(), 2u);
    EXPECT_NE(received_.xml[0].find(L"First"), std::wstring::npos);
    EXPECT_NE(received_.xml[1].find(L"Second"), std::wstring::npos);
    EXPECT_NE(received_.threads[0], GetCurrentThreadId());
    DWORD used = 0;
    EXPECT_FALSE(
        EvtRender(nullptr, received_.lastEvent, EvtRenderEventXml, 0, nullptr, &used, nullptr))
        << "an event handle is valid only during its callback";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));

    // An error notification carries the code in place of the event.
    winsim::eventlog::PublishError(winsim::eventlog::kSystemChannel, ERROR_EVT_QUERY_RESULT_STALE);
    winsim::eventlog::WaitUntilDelivered();
    EXPECT_EQ(received_.actions,
              (std::vector<EVT_SUBSCRIBE_NOTIFY_ACTION>{
                  EvtSubscribeActionDeliver, EvtSubscribeActionDeliver, EvtSubscribeActionError}));
    EXPECT_EQ(received_.errors, std::vector<uintptr_t>{ERROR_EVT_QUERY_RESULT_STALE});
    EXPECT_TRUE(EvtClose(subscription));
}

TEST_F(EventLogTest, CloseWaitsForARunningCallbackAndEndsDelivery) {
    struct Blocking {
        HANDLE entered = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        std::atomic<int> calls{0};
        std::atomic<bool> finished{false};
    } blocking;
    EVT_HANDLE subscription = EvtSubscribe(
        nullptr, nullptr, L"System", L"*", nullptr, &blocking,
        [](EVT_SUBSCRIBE_NOTIFY_ACTION, PVOID context, EVT_HANDLE) -> DWORD {
            auto* b = static_cast<Blocking*>(context);
            ++b->calls;
            SetEvent(b->entered);
            WaitForSingleObject(b->release, INFINITE);
            b->finished = true;
            return 0;
        },
        EvtSubscribeToFutureEvents);
    winsim::eventlog::PublishSystem(EventXml(1));
    winsim::eventlog::PublishSystem(EventXml(2));
    ASSERT_EQ(WaitForSingleObject(blocking.entered, 60000), WAIT_OBJECT_0);

    std::thread closer([&] {
        EXPECT_TRUE(EvtClose(subscription));
        EXPECT_TRUE(blocking.finished.load()) << "EvtClose returned while its callback was running";
    });
    Sleep(20);
    SetEvent(blocking.release);
    closer.join();
    winsim::eventlog::WaitUntilDelivered();
    EXPECT_EQ(blocking.calls.load(), 1) << "no callback after EvtClose";
    EXPECT_FALSE(EvtClose(subscription));
    CloseHandle(blocking.entered);
    CloseHandle(blocking.release);
}

// Each subscription made at once; the accepted ones count which of the events 1, 7 and 6005
// they were delivered, the refused ones name their error.
TEST_F(EventLogTest, QueriesSelectByEventIdAndBadSubscriptionsAreRefused) {
    const struct {
        const wchar_t* channel;
        const wchar_t* query;
        EVT_SUBSCRIBE_CALLBACK callback;
        std::size_t delivered;
        DWORD error = ERROR_SUCCESS;
    } cases[] = {{L"system", nullptr, Record, 3},
                 {L"System", L"*", Record, 3},
                 {L"System", L"Event", Record, 3},
                 {L"System", L"*[System[EventID=7]]", Record, 1},
                 {L"System", L"Event/System[EventID=1 or EventID=7]", Record, 2},
                 {L"System", L" Event / System [ ( EventID = 6005 ) ] ", Record, 1},
                 {L"NoSuchChannel", nullptr, Record, 0, ERROR_EVT_CHANNEL_NOT_FOUND},
                 {L"System", nullptr, nullptr, 0, ERROR_INVALID_PARAMETER},
                 {L"System", L"Event/System[Level=1", Record, 0, ERROR_EVT_INVALID_QUERY},
                 {L"System", L"Event/System[EventID=]", Record, 0, ERROR_EVT_INVALID_QUERY},
                 {L"System", L"Event/System[Level=2]", Record, 0, ERROR_EVT_INVALID_QUERY},
                 {L"System", L"Event/System[EventID=1] and", Record, 0, ERROR_EVT_INVALID_QUERY}};
    std::vector<EVT_HANDLE> subscriptions;
    std::vector<std::unique_ptr<Received>> received;
    for (const auto& c : cases) {
        received.push_back(std::make_unique<Received>());
        subscriptions.push_back(EvtSubscribe(nullptr, nullptr, c.channel, c.query, nullptr,
                                             received.back().get(), c.callback,
                                             EvtSubscribeToFutureEvents));
        EXPECT_EQ(subscriptions.back() == nullptr ? GetLastError() : ERROR_SUCCESS, c.error)
            << c.channel << " " << (c.query == nullptr ? L"(null)" : c.query);
    }
    for (int id : {1, 7, 6005}) {
        winsim::eventlog::PublishSystem(EventXml(id));
    }
    winsim::eventlog::WaitUntilDelivered();
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(received[i]->xml.size(), cases[i].delivered) << i;
        if (subscriptions[i] != nullptr) {
            EvtClose(subscriptions[i]);
        }
    }
}

}  // namespace
