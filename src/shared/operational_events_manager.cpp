#include "shared/operational_events_manager.h"

namespace ORV {

// Reverse declaration order: the string, then the mutex.
OperationalEventsSyncQueue::~OperationalEventsSyncQueue() = default;

OperationalEventsCloudSync::OperationalEventsCloudSync()
    : batch_size_(100),
      max_retries_(3),
      upload_interval_ms_(60000),
      retry_delay_ms_(60000),
      backoff_step_ms_(120000),
      max_backoff_ms_(240000),
      uploaded_count_(0),
      failed_count_(0),
      last_upload_time_(0),
      next_upload_time_(0) {}

OperationalEventsManager& OperationalEventsManager::operator=(
    const OperationalEventsManager& other) {
    // shared_ptr assignment takes the new reference before it drops the old one, so an old
    // target whose count reaches zero is destroyed right here, between the two slots.
    queue_ = other.queue_;
    sync_ = other.sync_;
    initialized_ = other.initialized_;
    enabled_ = other.enabled_;
    cloud_sync_enabled_ = other.cloud_sync_enabled_;
    upload_in_progress_ = other.upload_in_progress_;
    realm_known_ = other.realm_known_;
    throttled_ = other.throttled_;
    stop_requested_ = other.stop_requested_;
    debug_events_ = other.debug_events_;
    if (this != &other) {
        realm_ = other.realm_;
    }
    return *this;
}

// Reverse declaration order: the realm, then sync_, then queue_.
OperationalEventsManager::~OperationalEventsManager() = default;

}  // namespace ORV
