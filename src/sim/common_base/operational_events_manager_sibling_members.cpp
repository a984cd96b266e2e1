#include "shared/operational_events_manager.h"

#include <json/writer.h>

#include <deque>
#include <vector>

#include "base/annotated_mutex.h"
#include "base/unicode.h"
#include "shared/operational_event.h"
#include "sim/common_base/operational_events_control.h"
#include "sim/trace.h"

namespace {

constexpr char kComponent[] = "ORV::OperationalEventsManager";

// The manager's own fields are guarded by this lock; the events it took are kept here too,
// since the stand-in has no cloud to send them to. Only the newest are kept, as a real queue
// that cannot reach its cloud keeps only so many: a long-running host must not grow.
constexpr std::size_t kMaxKeptEvents = 1000;
tsa::Mutex g_mutex;
std::deque<ORV::OperationalEvent> g_events GUARDED_BY(g_mutex);
std::uint64_t g_nextEventId GUARDED_BY(g_mutex) = 1;

std::string CompactJson(const Json::Value& value) {
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "";
    return Json::writeString(builder, value);
}

}  // namespace

namespace ORV {

OperationalEventsManager::OperationalEventsManager()
    : queue_(std::make_shared<OperationalEventsSyncQueue>()),
      sync_(std::make_shared<OperationalEventsCloudSync>()),
      initialized_(true),
      enabled_(true) {}

OperationalEventsManager& OperationalEventsManager::GetInstance() {
    orvsim::TraceCall(kComponent, "GetInstance");
    static OperationalEventsManager instance;
    return instance;
}

void OperationalEventsManager::HandleEvent(const OperationalEventType& type,
                                           const OperationalEventLevel& level,
                                           const std::string& text, const Json::Value& data) {
    orvsim::TraceCall(kComponent, "HandleEvent", type, level, text, CompactJson(data));
    OperationalEvent event;
    event.eventType = static_cast<std::int32_t>(type);
    event.eventLevel = static_cast<std::int32_t>(level);
    event.timestamp = text;
    event.data = data;
    tsa::MutexLock lock(g_mutex);
    if (!enabled_) {
        return;
    }
    event.eventId = std::to_string(g_nextEventId++);
    event.realm = orvbase::WideToUtf8(realm_);
    g_events.push_back(std::move(event));
    if (g_events.size() > kMaxKeptEvents) {
        g_events.pop_front();
    }
}

void OperationalEventsManager::SetORVRealm(std::wstring realm) {
    {
        tsa::MutexLock lock(g_mutex);
        realm_known_ = !realm.empty();
        realm_ = realm;
    }
    orvsim::TraceCall(kComponent, "SetORVRealm", realm);
}

}  // namespace ORV

namespace orvsim {

std::vector<ORV::OperationalEvent> OperationalEvents() {
    tsa::MutexLock lock(g_mutex);
    return {g_events.begin(), g_events.end()};
}

void ClearOperationalEvents() {
    tsa::MutexLock lock(g_mutex);
    g_events.clear();
}

void ResetOperationalEvents() {
    ClearOperationalEvents();
    // A fresh manager's state (realm, flags, queue) replaces the current one.
    ORV::OperationalEventsManager::GetInstance() = ORV::OperationalEventsManager();
}

}  // namespace orvsim
