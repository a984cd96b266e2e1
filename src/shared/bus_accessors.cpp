// Accessors of the bus and of the device-context monitor that this library provides; the
// classes themselves belong to the shared-native and event-manager libraries.

#include "platform/event_manager/device_context_event_monitor.h"
#include "platform/shared_native/publisher_subscriber.h"

bool ORVPublisherSubscriber::GetNotifyEnabled() const {
    return notifyEnabled_.load();
}

void ORVPublisherSubscriber::SetNotifyEnabled(bool enabled) {
    notifyEnabled_.store(enabled);
}

void* DeviceContextEventMonitor::getRegionChangeEventHandle() {
    return regionChangeEvent_;
}
