#include "shared/operational_event.h"

#include <utility>

#include "shared/string_fields.h"

using orv_shared_detail::MoveString;
using orv_shared_detail::TakeString;

namespace ORV {

OperationalEvent::OperationalEvent()
    : schemaVersion("1.0"),
      eventType(0),
      eventLevel(0),
      origin("device"),
      platform("windows"),
      data(Json::nullValue) {}

OperationalEvent::OperationalEvent(const OperationalEvent& other) = default;

OperationalEvent::OperationalEvent(OperationalEvent&& other) noexcept
    : schemaVersion(TakeString(other.schemaVersion)),
      eventType(other.eventType),
      eventId(TakeString(other.eventId)),
      timestamp(TakeString(other.timestamp)),
      message(TakeString(other.message)),
      eventLevel(other.eventLevel),
      origin(TakeString(other.origin)),
      realm(TakeString(other.realm)),
      platform(TakeString(other.platform)),
      data(std::move(other.data)) {}

OperationalEvent& OperationalEvent::operator=(const OperationalEvent& other) {
    if (this != &other) {
        schemaVersion = other.schemaVersion;
        eventId = other.eventId;
        timestamp = other.timestamp;
        message = other.message;
        origin = other.origin;
        realm = other.realm;
        platform = other.platform;
    }
    eventType = other.eventType;
    eventLevel = other.eventLevel;
    data = other.data;
    return *this;
}

OperationalEvent& OperationalEvent::operator=(OperationalEvent&& other) noexcept {
    // Moving an event onto itself keeps it; otherwise the emptied source would empty it too.
    if (this == &other) {
        return *this;
    }
    MoveString(schemaVersion, other.schemaVersion);
    eventType = other.eventType;
    MoveString(eventId, other.eventId);
    MoveString(timestamp, other.timestamp);
    MoveString(message, other.message);
    eventLevel = other.eventLevel;
    MoveString(origin, other.origin);
    MoveString(realm, other.realm);
    MoveString(platform, other.platform);
    data = std::move(other.data);
    return *this;
}

// Reverse declaration order: the JSON value first, then the strings from the last to the first.
OperationalEvent::~OperationalEvent() = default;

}  // namespace ORV
