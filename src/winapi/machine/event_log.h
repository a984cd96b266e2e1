#pragma once
// The event-log channels: published events, push subscriptions, and the channel thread
// that calls subscription callbacks one at a time, in publication order. Calls set the
// thread's last error as wevtapi does. Thread-safe.

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <vector>

#include "base/annotated_mutex.h"
#include "winapi/machine/event_query.h"
#include "winapi/win32/eventlog.h"

namespace winsim::detail {

class EventLog {
  public:
    EventLog() = default;
    EventLog(const EventLog&) = delete;
    EventLog& operator=(const EventLog&) = delete;

    EVT_HANDLE Subscribe(const wchar_t* channel, const wchar_t* query, EVT_HANDLE bookmark,
                         void* context, EVT_SUBSCRIBE_CALLBACK callback, DWORD flags) EXCLUDES(mu_);
    bool RenderXml(EVT_HANDLE event, DWORD buffer_size, void* buffer, DWORD* buffer_used)
        EXCLUDES(mu_);
    bool Close(EVT_HANDLE handle) EXCLUDES(mu_);

    // Control API.
    uint64_t Publish(std::wstring_view channel, std::wstring xml) EXCLUDES(mu_);
    void PublishError(std::wstring_view channel, DWORD error) EXCLUDES(mu_);
    void WaitUntilDelivered() EXCLUDES(mu_);
    std::size_t SubscriptionCount(std::wstring_view channel) EXCLUDES(mu_);

    // Ends the channel thread (after a callback that is running), dropping what was not
    // yet delivered. The thread starts again when needed.
    void Shutdown() EXCLUDES(mu_);
    // Shutdown, then no events, subscriptions or handles.
    void Reset() EXCLUDES(mu_);

  private:
    struct Event {
        uint64_t record = 0;
        DWORD id = 0;
        std::wstring xml;
    };
    using EventPtr = std::shared_ptr<const Event>;
    struct Subscription {
        std::wstring channel;
        EventQuery query;
        void* context = nullptr;
        EVT_SUBSCRIBE_CALLBACK callback = nullptr;
        uint64_t first_record = 0;  // events before it belong to the past
        bool closed = false;
    };
    using SubscriptionPtr = std::shared_ptr<Subscription>;
    struct Notification {
        uint64_t seq = 0;
        std::wstring channel;
        std::vector<EventPtr> events;  // empty for an error notification
        DWORD error = 0;
        SubscriptionPtr only;  // a subscription's backlog of past events
    };

    static std::optional<std::wstring> Channel(std::wstring_view name);
    void Enqueue(Notification notification) REQUIRES(mu_);
    void Run() EXCLUDES(mu_);
    void Deliver(const SubscriptionPtr& subscription, const Notification& notification)
        REQUIRES(mu_);
    void Call(const SubscriptionPtr& subscription, EVT_SUBSCRIBE_NOTIFY_ACTION action,
              const EventPtr& event, DWORD error) REQUIRES(mu_);

    tsa::Mutex mu_;
    tsa::CondVar cv_;  // queue, delivery progress, callback ends
    std::deque<Notification> queue_ GUARDED_BY(mu_);
    std::map<std::wstring, std::vector<EventPtr>> history_ GUARDED_BY(mu_);
    std::map<std::wstring, uint64_t> next_record_ GUARDED_BY(mu_);
    std::map<uintptr_t, SubscriptionPtr> subscriptions_ GUARDED_BY(mu_);  // oldest first
    std::unordered_map<uintptr_t, EventPtr> event_handles_ GUARDED_BY(mu_);
    uint64_t queued_seq_ GUARDED_BY(mu_) = 0;
    uint64_t delivered_seq_ GUARDED_BY(mu_) = 0;
    const Subscription* in_callback_ GUARDED_BY(mu_) = nullptr;
    std::thread thread_ GUARDED_BY(mu_);
    std::thread::id thread_id_ GUARDED_BY(mu_);
    bool stopping_ GUARDED_BY(mu_) = false;
};

}  // namespace winsim::detail
