#pragma once
// The inner state of the bus stand-in: subscribers, the queue of accepted notifications, the
// record of publications and the delivery thread.
//
// Threads: any thread calls the public members; the delivery thread runs DeliveryLoop. mutex_
// guards everything below it; lifecycleMutex_ serialises Shutdown, which is the only place that
// joins the delivery thread, and is never taken by the delivery thread.

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/annotated_mutex.h"
#include "platform/shared_native/publisher_subscriber.h"
#include "shared/notification_data.h"
#include "sim/client/client_control.h"

struct ORVPublisherSubscriber::State {
    struct Subscriber {
        std::wstring id;
        Handler handler;
        bool extensionOnly = false;
    };

    // Destroys the bus's own copies without tracing: they are not the client's records.
    struct QuietDelete {
        void operator()(ORVNotificationData* copy) const;
    };
    using Copy = std::unique_ptr<ORVNotificationData, QuietDelete>;

    // One accepted notification: the bus's copy and who was subscribed when it was accepted.
    struct Pending {
        std::uint64_t sequence = 0;
        Copy notification;
        bool extension = false;
        std::wstring senderId;
        std::vector<std::shared_ptr<const Subscriber>> targets;
    };

    static State& Of(ORVPublisherSubscriber& bus);

    State() = default;
    ~State();

    std::wstring AddSubscriber(Handler handler, bool extensionOnly) EXCLUDES(mutex_);
    bool RemoveSubscriber(const std::wstring& id) EXCLUDES(mutex_);
    void Queue(ORVNotificationData& notification, orvsim::Publication publication, bool enabled)
        EXCLUDES(mutex_);
    void RequestStop() EXCLUDES(mutex_);

    // Refuses further notifications, delivers what is queued (or drops it), joins the delivery
    // thread, releases every subscriber and makes the bus usable again.
    void Shutdown(bool deliverQueued) EXCLUDES(mutex_, lifecycleMutex_);

    // Shutdown without delivery, an empty record and notifying enabled.
    void Reset(ORVPublisherSubscriber& bus) EXCLUDES(mutex_, lifecycleMutex_);

    std::vector<orvsim::Publication> Record() EXCLUDES(mutex_);
    void ClearRecord() EXCLUDES(mutex_);
    int SubscriberCount() EXCLUDES(mutex_);
    bool WaitForIdle(std::chrono::milliseconds timeout) EXCLUDES(mutex_);
    bool WaitForRecord(const std::function<bool(const orvsim::Publication&)>& match,
                       std::chrono::milliseconds timeout) EXCLUDES(mutex_);

  private:
    void StartDeliveryThread() REQUIRES(mutex_);
    void DropQueued() REQUIRES(mutex_);
    void DeliveryLoop() EXCLUDES(mutex_);
    bool WantsDelivery(const Subscriber& subscriber, const Pending& pending) const REQUIRES(mutex_);
    static void CallHandler(const Subscriber& subscriber, const ORVNotificationData& notification);
    void CountDelivery(std::uint64_t sequence) REQUIRES(mutex_);

    tsa::Mutex lifecycleMutex_ ACQUIRED_BEFORE(mutex_);
    tsa::Mutex mutex_;
    tsa::CondVar changed_;  // queue, delivery, record or subscribers changed

    std::vector<std::shared_ptr<const Subscriber>> subscribers_ GUARDED_BY(mutex_);
    std::deque<Pending> queue_ GUARDED_BY(mutex_);
    std::deque<orvsim::Publication> record_ GUARDED_BY(mutex_);
    std::uint64_t nextSequence_ GUARDED_BY(mutex_) = 1;
    std::uint64_t nextSubscriberId_ GUARDED_BY(mutex_) = 1;
    bool stopRequested_ GUARDED_BY(mutex_) = false;
    bool exitRequested_ GUARDED_BY(mutex_) = false;
    bool delivering_ GUARDED_BY(mutex_) = false;  // a popped notification is being delivered
    const Subscriber* running_ GUARDED_BY(mutex_) = nullptr;  // whose handler runs now
    std::thread deliveryThread_ GUARDED_BY(mutex_);
    std::thread::id deliveryThreadId_ GUARDED_BY(mutex_);
};
