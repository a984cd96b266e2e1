#pragma once
// ORV::OperationalEvent: one record of the client's own operation, as a value. Filled and
// sent by the common base library's operational-events machinery; this library provides the
// special members, exported. No lock: an event is owned by whoever built it.

#include <cstdint>
#include <string>

#include <json/value.h>

#include "shared/export.h"

namespace ORV {

struct OperationalEvent {
    ORV_EXPORT OperationalEvent();  // the defaults below, field by field
    ORV_EXPORT OperationalEvent(const OperationalEvent& other);
    // Leaves other's strings empty; integers are copied; the JSON value is moved.
    ORV_EXPORT OperationalEvent(OperationalEvent&& other) noexcept;
    // Copies the strings unless other is *this; integers always; JSON value copy-assigned.
    ORV_EXPORT OperationalEvent& operator=(const OperationalEvent& other);
    // Leaves other's strings empty; integers are copied; the JSON value is move-assigned.
    ORV_EXPORT OperationalEvent& operator=(OperationalEvent&& other) noexcept;
    // Destroys the JSON value first, then the strings from the last to the first.
    ORV_EXPORT ~OperationalEvent();

    std::string schemaVersion;  // "1.0"
    std::int32_t eventType;     // 0; an OperationalEventType value
    std::string eventId;        // empty
    std::string timestamp;      // empty
    std::string message;        // empty
    std::int32_t eventLevel;    // 0; an OperationalEventLevel value
    std::string origin;         // "device"
    std::string realm;          // empty
    std::string platform;       // "windows"
    Json::Value data;           // null
};

}  // namespace ORV
