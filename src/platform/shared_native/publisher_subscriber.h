#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "shared/export.h"

class ORVNotificationData;

// The client's publish/subscribe bus (shared-native library).
//
// Notify copies the notification, queues the copy and returns. One delivery thread, owned by
// the bus, hands every queued notification to every subscriber, one notification after the
// other, in the order in which Notify queued them; each subscriber gets its own copy, by
// reference, for the duration of its handler. A handler therefore runs on that thread and must
// not wait for anything that waits for the bus. An exception that leaves a handler is caught
// and recorded by the bus and does not keep the notification from the other subscribers.
//
// Stopping: SetStopRequest makes the bus refuse further notifications; those already queued
// are still delivered. Cleanup then waits until they are, ends the delivery thread and
// releases every subscriber: no handler runs after Cleanup has returned. The bus can then be
// used afresh (a restarted service subscribes again).
//
// All members may be called from any thread; Unsubscribe and Cleanup must not be called from
// a handler (they wait for the delivery thread).
class ORVPublisherSubscriber {
  public:
    using Handler = std::function<void(ORVNotificationData&)>;

    // The process-wide bus; never null, never deleted by callers.
    static ORVPublisherSubscriber* GetInstance();

    // Adds a handler and returns its subscription id (never empty). With extensionOnly false
    // the handler receives every notification queued from now on; with true, only extension
    // notifications. An empty handler is refused: the result is then empty.
    std::wstring Subscribe(Handler handler, bool extensionOnly);

    // Removes a subscription and returns once its handler is not running; false for an
    // unknown id. Notifications queued before are no longer delivered to it.
    bool Unsubscribe(const std::wstring& subscriptionId);

    // Queues a copy of the notification for delivery and returns. senderId, when not empty,
    // is the publisher's own subscription id: that subscriber does not receive its own
    // notification. Refused (recorded, never delivered) after SetStopRequest and while
    // notifying is disabled; with nobody subscribed, recorded and not queued.
    void Notify(ORVNotificationData& notification, std::wstring senderId);

    // Refuses further notifications until Cleanup; what is queued is still delivered.
    void SetStopRequest();

    // Delivers what is queued, ends the delivery thread, releases every subscriber and
    // clears the stop request. Throws std::logic_error when called from a handler.
    void Cleanup();

    // Whether Notify queues notifications (true) or refuses them (false); true at first.
    ORV_EXPORT bool GetNotifyEnabled() const;
    ORV_EXPORT void SetNotifyEnabled(bool enabled);

    struct State;  // the bus's subscribers, queue and delivery thread; defined by the library

    ORVPublisherSubscriber(const ORVPublisherSubscriber&) = delete;
    ORVPublisherSubscriber& operator=(const ORVPublisherSubscriber&) = delete;

  private:
    ORVPublisherSubscriber();
    ~ORVPublisherSubscriber();

    std::atomic<bool> notifyEnabled_{true};  // read by Notify on any thread
    const std::unique_ptr<State> state_;
};
