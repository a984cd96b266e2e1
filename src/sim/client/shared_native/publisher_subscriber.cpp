#include "platform/shared_native/publisher_subscriber.h"

#include <algorithm>
#include <deque>
#include <memory>
#include <stdexcept>
#include <thread>
#include <utility>
#include <vector>

#include "shared/notification_data.h"
#include "sim/client/client_control.h"
#include "sim/client/shared_native/bus_state.h"
#include "sim/trace.h"
#include "winapi/windows_api.h"

namespace {

constexpr char kComponent[] = "ORVPublisherSubscriber";

// The record keeps the newest publications only, so that a host running for days stays
// bounded; a bus carries a handful of notifications per service control.
constexpr std::size_t kRecordCapacity = 10000;

}  // namespace

ORVPublisherSubscriber* ORVPublisherSubscriber::GetInstance() {
    orvsim::TraceCall(kComponent, "GetInstance");
    // Destroyed at exit, which joins the delivery thread before the process ends.
    static ORVPublisherSubscriber bus;
    return &bus;
}

ORVPublisherSubscriber::ORVPublisherSubscriber() : state_(std::make_unique<State>()) {}

ORVPublisherSubscriber::~ORVPublisherSubscriber() {
    state_->Shutdown(false);
}

std::wstring ORVPublisherSubscriber::Subscribe(Handler handler, bool extensionOnly) {
    const bool given = static_cast<bool>(handler);
    std::wstring id = given ? state_->AddSubscriber(std::move(handler), extensionOnly) : L"";
    orvsim::TraceCall(kComponent, "Subscribe", given, extensionOnly);
    return id;
}

bool ORVPublisherSubscriber::Unsubscribe(const std::wstring& subscriptionId) {
    const bool removed = state_->RemoveSubscriber(subscriptionId);
    orvsim::TraceCall(kComponent, "Unsubscribe", subscriptionId);
    return removed;
}

void ORVPublisherSubscriber::Notify(ORVNotificationData& notification, std::wstring senderId) {
    orvsim::Publication publication;
    {
        // The bus's own look at the notification is not the publisher's call.
        orvsim::TraceSilence quiet;
        publication.topicId = notification.getTopicId();
        publication.eventState = notification.getEventState();
        publication.payload = notification.payload();
        publication.messageType = notification.getMessageType();
        publication.actionType = notification.getActionType();
        publication.extension = notification.isExtensionNotification();
        publication.zarn = notification.isZarnNotification();
    }
    publication.senderId = std::move(senderId);
    publication.threadId = GetCurrentThreadId();
    const int topicId = publication.topicId;
    const int eventState = publication.eventState;
    const std::wstring payload = publication.payload;
    const std::wstring sender = publication.senderId;
    state_->Queue(notification, std::move(publication), notifyEnabled_.load());
    orvsim::TraceCall(kComponent, "Notify", topicId, eventState, payload, sender);
}

void ORVPublisherSubscriber::SetStopRequest() {
    state_->RequestStop();
    orvsim::TraceCall(kComponent, "SetStopRequest");
}

void ORVPublisherSubscriber::Cleanup() {
    orvsim::TraceCall(kComponent, "Cleanup");
    state_->Shutdown(true);
    orvsim::TraceCall(kComponent, "CleanupDone");
}

// --- State ---------------------------------------------------------------------------------

ORVPublisherSubscriber::State& ORVPublisherSubscriber::State::Of(ORVPublisherSubscriber& bus) {
    return *bus.state_;
}

ORVPublisherSubscriber::State::~State() = default;

std::wstring ORVPublisherSubscriber::State::AddSubscriber(Handler handler, bool extensionOnly) {
    tsa::MutexLock lock(mutex_);
    auto subscriber = std::make_shared<Subscriber>();
    subscriber->id = L"subscription-" + std::to_wstring(nextSubscriberId_++);
    subscriber->handler = std::move(handler);
    subscriber->extensionOnly = extensionOnly;
    subscribers_.push_back(subscriber);
    changed_.NotifyAll();
    return subscriber->id;
}

bool ORVPublisherSubscriber::State::RemoveSubscriber(const std::wstring& id) {
    tsa::MutexLock lock(mutex_);
    for (auto it = subscribers_.begin(); it != subscribers_.end(); ++it) {
        if ((*it)->id != id) {
            continue;
        }
        const Subscriber* removed = it->get();
        subscribers_.erase(it);
        // Its handler may be running right now; the caller may destroy what it captured as
        // soon as we return, so wait for it (except on the delivery thread itself).
        while (running_ == removed && std::this_thread::get_id() != deliveryThreadId_) {
            changed_.Wait(mutex_);
        }
        changed_.NotifyAll();
        return true;
    }
    return false;
}

void ORVPublisherSubscriber::State::Queue(ORVNotificationData& notification,
                                          orvsim::Publication publication, bool enabled) {
    tsa::MutexLock lock(mutex_);
    publication.sequence = nextSequence_++;
    publication.accepted = enabled && !stopRequested_;
    // With nobody subscribed there is nothing to deliver, and no delivery thread is started
    // for it: after a Cleanup one would wait on until the next Cleanup or the process's end.
    if (publication.accepted && !subscribers_.empty()) {
        Pending pending;
        pending.sequence = publication.sequence;
        pending.notification.reset(new ORVNotificationData(notification));
        pending.extension = publication.extension;
        pending.senderId = publication.senderId;
        pending.targets = subscribers_;
        queue_.push_back(std::move(pending));
        StartDeliveryThread();
    }
    record_.push_back(std::move(publication));
    if (record_.size() > kRecordCapacity) {
        record_.pop_front();
    }
    changed_.NotifyAll();
}

void ORVPublisherSubscriber::State::RequestStop() {
    tsa::MutexLock lock(mutex_);
    stopRequested_ = true;
    changed_.NotifyAll();
}

void ORVPublisherSubscriber::State::StartDeliveryThread() {
    if (deliveryThread_.joinable()) {
        return;
    }
    deliveryThread_ = std::thread([this] { DeliveryLoop(); });
    deliveryThreadId_ = deliveryThread_.get_id();
}

void ORVPublisherSubscriber::State::Shutdown(bool deliverQueued) {
    tsa::MutexLock lifecycle(lifecycleMutex_);
    std::thread thread;
    {
        tsa::MutexLock lock(mutex_);
        if (std::this_thread::get_id() == deliveryThreadId_) {
            throw std::logic_error("the bus cannot be cleaned up from one of its handlers");
        }
        stopRequested_ = true;
        if (!deliverQueued) {
            DropQueued();
            subscribers_.clear();  // also ends the delivery of a notification under way
        }
        exitRequested_ = true;
        thread = std::move(deliveryThread_);
        changed_.NotifyAll();
    }
    // The only join of the delivery thread. No lock held: the thread takes mutex_ to finish.
    if (thread.joinable()) {
        thread.join();
    }
    tsa::MutexLock lock(mutex_);
    DropQueued();
    subscribers_.clear();
    deliveryThreadId_ = {};
    stopRequested_ = false;
    exitRequested_ = false;
    changed_.NotifyAll();
}

void ORVPublisherSubscriber::State::DropQueued() {
    queue_.clear();
}

void ORVPublisherSubscriber::State::QuietDelete::operator()(ORVNotificationData* copy) const {
    orvsim::TraceSilence quiet;
    delete copy;
}

void ORVPublisherSubscriber::State::DeliveryLoop() {
    mutex_.lock();
    for (;;) {
        while (queue_.empty() && !exitRequested_) {
            changed_.Wait(mutex_);
        }
        if (queue_.empty()) {
            break;
        }
        Pending pending = std::move(queue_.front());
        queue_.pop_front();
        delivering_ = true;
        for (const auto& subscriber : pending.targets) {
            if (!WantsDelivery(*subscriber, pending)) {
                continue;
            }
            running_ = subscriber.get();
            mutex_.unlock();
            CallHandler(*subscriber, *pending.notification);
            mutex_.lock();
            running_ = nullptr;
            CountDelivery(pending.sequence);
            changed_.NotifyAll();
        }
        pending.notification.reset();
        delivering_ = false;
        changed_.NotifyAll();
    }
    mutex_.unlock();
}

bool ORVPublisherSubscriber::State::WantsDelivery(const Subscriber& subscriber,
                                                  const Pending& pending) const {
    const bool subscribed = std::any_of(subscribers_.begin(), subscribers_.end(),
                                        [&](const auto& s) { return s.get() == &subscriber; });
    if (!subscribed) {
        return false;  // unsubscribed or released after the notification was queued
    }
    if (subscriber.extensionOnly && !pending.extension) {
        return false;
    }
    return pending.senderId.empty() || pending.senderId != subscriber.id;
}

void ORVPublisherSubscriber::State::CallHandler(const Subscriber& subscriber,
                                                const ORVNotificationData& notification) {
    // Each subscriber gets its own copy: what one handler changes, the next does not see.
    const Copy copy(new ORVNotificationData(notification));
    try {
        subscriber.handler(*copy);
    } catch (const std::exception& error) {
        orvsim::TraceCall(kComponent, "HandlerFailed", subscriber.id, error.what());
    } catch (...) {
        orvsim::TraceCall(kComponent, "HandlerFailed", subscriber.id, "unknown exception");
    }
}

void ORVPublisherSubscriber::State::CountDelivery(std::uint64_t sequence) {
    if (record_.empty() || sequence < record_.front().sequence) {
        return;  // its record entry was cleared meanwhile
    }
    const std::size_t index = sequence - record_.front().sequence;
    if (index < record_.size()) {
        ++record_[index].deliveries;
    }
}

std::vector<orvsim::Publication> ORVPublisherSubscriber::State::Record() {
    tsa::MutexLock lock(mutex_);
    return {record_.begin(), record_.end()};
}

void ORVPublisherSubscriber::State::ClearRecord() {
    tsa::MutexLock lock(mutex_);
    record_.clear();
}

int ORVPublisherSubscriber::State::SubscriberCount() {
    tsa::MutexLock lock(mutex_);
    return static_cast<int>(subscribers_.size());
}

bool ORVPublisherSubscriber::State::WaitForIdle(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    tsa::MutexLock lock(mutex_);
    while (!queue_.empty() || delivering_) {
        if (!changed_.WaitUntil(mutex_, deadline) && std::chrono::steady_clock::now() >= deadline) {
            return queue_.empty() && !delivering_;
        }
    }
    return true;
}

bool ORVPublisherSubscriber::State::WaitForRecord(
    const std::function<bool(const orvsim::Publication&)>& match,
    std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    tsa::MutexLock lock(mutex_);
    for (;;) {
        if (std::any_of(record_.begin(), record_.end(), match)) {
            return true;
        }
        if (!changed_.WaitUntil(mutex_, deadline) && std::chrono::steady_clock::now() >= deadline) {
            return std::any_of(record_.begin(), record_.end(), match);
        }
    }
}

void ORVPublisherSubscriber::State::Reset(ORVPublisherSubscriber& bus) {
    Shutdown(false);
    ClearRecord();
    bus.notifyEnabled_ = true;
}
