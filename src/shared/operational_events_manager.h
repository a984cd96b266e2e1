#pragma once
// The operational-events machinery of the common base library: the process-wide manager that
// takes events, the queue that holds them and the cloud sync that uploads them. Their
// behaviour is the common base library's; this library provides (and exports) the members
// that fix their fields: the manager's copy assignment and destructor, the queue's destructor
// and the cloud sync's constructor.

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include <json/value.h>

#include "shared/export.h"

class SharedTypesTestPeer;

namespace ORV {

// Kind and level of an operational event. Their values are the common base library's; the
// service reports its start with type 1, level 2.
enum class OperationalEventType : std::int32_t {};
enum class OperationalEventLevel : std::int32_t {};

class OperationalEventsSyncQueue {
  public:
    OperationalEventsSyncQueue() = default;
    ORV_EXPORT ~OperationalEventsSyncQueue();  // destroys the string, then the mutex

    OperationalEventsSyncQueue(const OperationalEventsSyncQueue&) = delete;
    OperationalEventsSyncQueue& operator=(const OperationalEventsSyncQueue&) = delete;

  private:
    std::mutex mutex_;
    // Queued events as serialised JSON lines. Guarded by mutex_.
    std::string pending_;
};

class OperationalEventsCloudSync {
  public:
    // 100, 3, 60000, 60000, 120000, 240000; then zeros, a fresh mutex, zeros, empty string.
    ORV_EXPORT OperationalEventsCloudSync();

    OperationalEventsCloudSync(const OperationalEventsCloudSync&) = delete;
    OperationalEventsCloudSync& operator=(const OperationalEventsCloudSync&) = delete;

  private:
    friend class ::SharedTypesTestPeer;  // tests read the initial values

    // Upload policy; fixed at construction, read by any thread.
    std::uint32_t batch_size_;
    std::uint32_t max_retries_;
    std::uint32_t upload_interval_ms_;
    std::uint32_t retry_delay_ms_;
    std::uint32_t backoff_step_ms_;
    std::uint32_t max_backoff_ms_;
    std::uint64_t uploaded_count_;  // guarded by mutex_ (as are the fields below it)
    std::uint64_t failed_count_;
    std::mutex mutex_;
    std::uint64_t last_upload_time_;
    std::uint64_t next_upload_time_;
    std::string last_error_;
};

class OperationalEventsManager {
  public:
    // Common base library.
    OperationalEventsManager();
    static OperationalEventsManager& GetInstance();
    // Records one event of the given type and level, with a narrow text (the service passes
    // the current time) and a JSON value. Any thread.
    void HandleEvent(const OperationalEventType& type, const OperationalEventLevel& level,
                     const std::string& text, const Json::Value& data);
    // Keeps the organisation realm for the events that follow.
    void SetORVRealm(std::wstring realm);

    OperationalEventsManager(const OperationalEventsManager&) = delete;
    // Assigns the two shared pointers in order (the new target's count rises before the old
    // one's falls), the eight flags, and the realm unless other is *this.
    ORV_EXPORT OperationalEventsManager& operator=(const OperationalEventsManager& other);
    // Destroys the realm, then releases sync_, then queue_.
    ORV_EXPORT ~OperationalEventsManager();

  private:
    friend class ::SharedTypesTestPeer;  // tests arrange the shared pointers

    // The fields below are written by the common base library under its own discipline
    // (the queue's mutex); this library only copies and destroys them.
    std::shared_ptr<OperationalEventsSyncQueue> queue_;
    std::shared_ptr<OperationalEventsCloudSync> sync_;
    bool initialized_ = false;
    bool enabled_ = false;
    bool cloud_sync_enabled_ = false;
    bool upload_in_progress_ = false;
    bool realm_known_ = false;
    bool throttled_ = false;
    bool stop_requested_ = false;
    bool debug_events_ = false;
    std::wstring realm_;
};

}  // namespace ORV
