#pragma once
// Helper classes of the client that hold no data. This library provides (and exports) their
// copy and move assignments, which do nothing and return the destination; their behaviour is
// the sibling libraries'.

#include <functional>
#include <string>

#include "shared/export.h"

namespace orv {

// The user's persona (shared-native library).
class Persona {
  public:
    Persona() = default;
    Persona(const Persona&) = default;
    Persona(Persona&&) = default;
    ~Persona() = default;
    ORV_EXPORT Persona& operator=(const Persona& other);
    ORV_EXPORT Persona& operator=(Persona&& other) noexcept;
};

}  // namespace orv

// Writes the client's critical events to the Windows event log (common base library).
class CriticalEventLogger {
  public:
    // Called with each critical event's text after it is logged; may be empty.
    using Callback = std::function<void(const std::wstring&)>;

    // Common base library: sets the logger up for the process. Any thread; later calls
    // replace the callback.
    static void Init(Callback callback);

    CriticalEventLogger() = default;
    CriticalEventLogger(const CriticalEventLogger&) = default;
    CriticalEventLogger(CriticalEventLogger&&) = default;
    ~CriticalEventLogger() = default;
    ORV_EXPORT CriticalEventLogger& operator=(const CriticalEventLogger& other);
    ORV_EXPORT CriticalEventLogger& operator=(CriticalEventLogger&& other) noexcept;
};

namespace ORV::DataSync {

// Filters custom data before it is synchronised (data-sync library).
class CustomDataFilter {
  public:
    CustomDataFilter() = default;
    CustomDataFilter(const CustomDataFilter&) = default;
    CustomDataFilter(CustomDataFilter&&) = default;
    ~CustomDataFilter() = default;
    ORV_EXPORT CustomDataFilter& operator=(const CustomDataFilter& other);
    ORV_EXPORT CustomDataFilter& operator=(CustomDataFilter&& other) noexcept;
};

}  // namespace ORV::DataSync

// Derives device tags from the graphics adapters (shared-native library).
class GpuTagGenerator {
  public:
    GpuTagGenerator() = default;
    GpuTagGenerator(const GpuTagGenerator&) = default;
    GpuTagGenerator(GpuTagGenerator&&) = default;
    ~GpuTagGenerator() = default;
    ORV_EXPORT GpuTagGenerator& operator=(const GpuTagGenerator& other);
    ORV_EXPORT GpuTagGenerator& operator=(GpuTagGenerator&& other) noexcept;
};

// Shows the client's alerts to the user (notification library).
class NotificationAlertUtility {
  public:
    NotificationAlertUtility() = default;
    NotificationAlertUtility(const NotificationAlertUtility&) = default;
    NotificationAlertUtility(NotificationAlertUtility&&) = default;
    ~NotificationAlertUtility() = default;
    ORV_EXPORT NotificationAlertUtility& operator=(const NotificationAlertUtility& other);
    ORV_EXPORT NotificationAlertUtility& operator=(NotificationAlertUtility&& other) noexcept;
};
