#include "winapi/machine/event_log.h"

#include <cstring>
#include <stdexcept>

#include "winapi/machine/handle_values.h"
#include "winapi/machine/registry_store.h"
#include "winapi/machine/thread_identity.h"
#include "winapi/win32/errors.h"

namespace winsim::detail {

std::optional<std::wstring> EventLog::Channel(std::wstring_view name) {
    for (std::wstring_view channel :
         {std::wstring_view(L"System"), std::wstring_view(L"Application")}) {
        if (FoldName(name) == FoldName(channel)) {
            return std::wstring(channel);
        }
    }
    return std::nullopt;
}

EVT_HANDLE EventLog::Subscribe(const wchar_t* channel, const wchar_t* query, EVT_HANDLE bookmark,
                               void* context, EVT_SUBSCRIBE_CALLBACK callback, DWORD flags) {
    const DWORD origin = flags & EvtSubscribeOriginMask;
    if (callback == nullptr || channel == nullptr || origin == 0) {
        SetLastErrorCode(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (origin == EvtSubscribeStartAfterBookmark) {
        // Bookmarks are not kept by this machine.
        SetLastErrorCode(bookmark == nullptr ? ERROR_INVALID_PARAMETER : ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    const std::optional<std::wstring> name = Channel(channel);
    if (!name) {
        SetLastErrorCode(ERROR_EVT_CHANNEL_NOT_FOUND);
        return nullptr;
    }
    std::optional<EventQuery> parsed = ParseEventQuery(query);
    if (!parsed) {
        SetLastErrorCode(ERROR_EVT_INVALID_QUERY);
        return nullptr;
    }
    auto subscription = std::make_shared<Subscription>();
    subscription->channel = *name;
    subscription->query = std::move(*parsed);
    subscription->context = context;
    subscription->callback = callback;

    tsa::MutexLock lock(mu_);
    uint64_t& next = next_record_[*name];
    next = std::max<uint64_t>(next, 1);
    subscription->first_record = next;
    const uintptr_t handle = NextHandleValue();
    subscriptions_.emplace(handle, subscription);
    if (origin == EvtSubscribeStartAtOldestRecord && !history_[*name].empty()) {
        Notification backlog;
        backlog.channel = *name;
        backlog.events = history_[*name];
        backlog.only = subscription;
        Enqueue(std::move(backlog));
    }
    SetLastErrorCode(ERROR_SUCCESS);
    return ToHandle<EVT_HANDLE>(handle);
}

bool EventLog::RenderXml(EVT_HANDLE event, DWORD buffer_size, void* buffer, DWORD* buffer_used) {
    tsa::MutexLock lock(mu_);
    const auto it = event_handles_.find(FromHandle(event));
    if (it == event_handles_.end()) {
        SetLastErrorCode(ERROR_INVALID_HANDLE);
        return false;
    }
    const std::wstring& xml = it->second->xml;
    const auto needed = static_cast<DWORD>((xml.size() + 1) * sizeof(wchar_t));
    *buffer_used = needed;
    if (buffer == nullptr || buffer_size < needed) {
        SetLastErrorCode(ERROR_INSUFFICIENT_BUFFER);
        return false;
    }
    std::memcpy(buffer, xml.c_str(), needed);
    return true;
}

bool EventLog::Close(EVT_HANDLE handle) {
    tsa::MutexLock lock(mu_);
    const uintptr_t value = FromHandle(handle);
    if (const auto it = subscriptions_.find(value); it != subscriptions_.end()) {
        const SubscriptionPtr subscription = it->second;
        subscriptions_.erase(it);
        subscription->closed = true;
        // After EvtClose returns no callback of the subscription runs, unless EvtClose
        // was called from that very callback.
        if (std::this_thread::get_id() != thread_id_) {
            while (in_callback_ == subscription.get()) {
                cv_.Wait(mu_);
            }
        }
        return true;
    }
    if (event_handles_.erase(value) > 0) {
        return true;
    }
    SetLastErrorCode(ERROR_INVALID_HANDLE);
    return false;
}

void EventLog::Enqueue(Notification notification) {
    notification.seq = ++queued_seq_;
    queue_.push_back(std::move(notification));
    if (!thread_.joinable() && !stopping_) {
        thread_ = std::thread([this] { Run(); });
        thread_id_ = thread_.get_id();
    }
    cv_.NotifyAll();
}

uint64_t EventLog::Publish(std::wstring_view channel, std::wstring xml) {
    const std::optional<std::wstring> name = Channel(channel);
    if (!name) {
        throw std::invalid_argument("unknown event-log channel");
    }
    const std::optional<DWORD> id = EventIdOf(xml);
    if (!id) {
        throw std::invalid_argument("event XML without an <EventID> element");
    }
    tsa::MutexLock lock(mu_);
    uint64_t& next = next_record_[*name];
    next = std::max<uint64_t>(next, 1);
    const uint64_t record = next++;
    auto event = std::make_shared<const Event>(Event{record, *id, std::move(xml)});
    history_[*name].push_back(event);
    Notification notification;
    notification.channel = *name;
    notification.events.push_back(std::move(event));
    Enqueue(std::move(notification));
    return record;
}

void EventLog::PublishError(std::wstring_view channel, DWORD error) {
    const std::optional<std::wstring> name = Channel(channel);
    if (!name) {
        throw std::invalid_argument("unknown event-log channel");
    }
    tsa::MutexLock lock(mu_);
    Notification notification;
    notification.channel = *name;
    notification.error = error;
    Enqueue(std::move(notification));
}

void EventLog::Call(const SubscriptionPtr& subscription, EVT_SUBSCRIBE_NOTIFY_ACTION action,
                    const EventPtr& event, DWORD error) {
    uintptr_t handle = error;
    if (event) {
        handle = NextHandleValue();
        event_handles_.emplace(handle, event);
    }
    in_callback_ = subscription.get();
    mu_.unlock();
    subscription->callback(action, subscription->context, ToHandle<EVT_HANDLE>(handle));
    mu_.lock();
    in_callback_ = nullptr;
    if (event) {
        event_handles_.erase(handle);  // the handle lives as long as the callback
    }
    cv_.NotifyAll();
}

void EventLog::Deliver(const SubscriptionPtr& subscription, const Notification& notification) {
    if (notification.events.empty()) {
        if (!subscription->closed && !stopping_) {
            Call(subscription, EvtSubscribeActionError, nullptr, notification.error);
        }
        return;
    }
    for (const EventPtr& event : notification.events) {
        const bool past = !notification.only && event->record < subscription->first_record;
        if (subscription->closed || stopping_) {
            return;
        }
        if (!past && subscription->query.Matches(event->id)) {
            Call(subscription, EvtSubscribeActionDeliver, event, 0);
        }
    }
}

void EventLog::Run() {
    mu_.lock();
    for (;;) {
        while (queue_.empty() && !stopping_) {
            cv_.Wait(mu_);
        }
        if (stopping_) {
            break;
        }
        Notification notification = std::move(queue_.front());
        queue_.pop_front();
        std::vector<SubscriptionPtr> targets;
        if (notification.only) {
            targets.push_back(notification.only);
        } else {
            for (const auto& [handle, subscription] : subscriptions_) {
                if (subscription->channel == notification.channel) {
                    targets.push_back(subscription);
                }
            }
        }
        for (const SubscriptionPtr& subscription : targets) {
            Deliver(subscription, notification);
        }
        delivered_seq_ = notification.seq;
        cv_.NotifyAll();
    }
    mu_.unlock();
}

void EventLog::WaitUntilDelivered() {
    tsa::MutexLock lock(mu_);
    if (thread_.joinable() && std::this_thread::get_id() == thread_id_) {
        throw std::logic_error("WaitUntilDelivered called from an event-log callback");
    }
    const uint64_t target = queued_seq_;
    while (delivered_seq_ < target && !stopping_) {
        cv_.Wait(mu_);
    }
}

std::size_t EventLog::SubscriptionCount(std::wstring_view channel) {
    const std::optional<std::wstring> name = Channel(channel);
    tsa::MutexLock lock(mu_);
    std::size_t count = 0;
    for (const auto& [handle, subscription] : subscriptions_) {
        count += name && subscription->channel == *name ? 1 : 0;
    }
    return count;
}

void EventLog::Shutdown() {
    std::thread thread;
    {
        tsa::MutexLock lock(mu_);
        stopping_ = true;
        cv_.NotifyAll();
        thread.swap(thread_);
    }
    if (thread.joinable()) {
        thread.join();
    }
    tsa::MutexLock lock(mu_);
    queue_.clear();
    delivered_seq_ = queued_seq_;
    thread_id_ = std::thread::id();
    stopping_ = false;
    cv_.NotifyAll();
}

void EventLog::Reset() {
    Shutdown();
    tsa::MutexLock lock(mu_);
    history_.clear();
    next_record_.clear();
    subscriptions_.clear();
    event_handles_.clear();
}

}  // namespace winsim::detail
