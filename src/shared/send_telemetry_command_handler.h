#pragma once
// ORV::SendTelemetryCommandHandler: the two callbacks of the send-telemetry command and its
// cooldown. The sibling libraries that use it process the command; this library provides (and
// exports) the registration operations, the copy and move constructors, the destructor and
// the cooldown constant. No lock: a handler is configured before the command can arrive.

#include <chrono>
#include <cstdint>
#include <functional>

#include "shared/export.h"

namespace ORV {

struct SendTelemetryCommandParams;  // defined by the libraries that process the command

class SendTelemetryCommandHandler {
  public:
    using Callback = std::function<void(SendTelemetryCommandParams&)>;

    // Least time between two collections that the command may trigger: 5 minutes.
    ORV_EXPORT static const std::chrono::duration<int, std::ratio<60, 1>> cooldown_;

    SendTelemetryCommandHandler() = default;
    ORV_EXPORT SendTelemetryCommandHandler(const SendTelemetryCommandHandler& other);
    // Leaves other's callbacks empty; the last-command time is copied.
    ORV_EXPORT SendTelemetryCommandHandler(SendTelemetryCommandHandler&& other) noexcept;
    // Destroys the duplicate callback, then the recollect callback.
    ORV_EXPORT ~SendTelemetryCommandHandler();
    SendTelemetryCommandHandler& operator=(const SendTelemetryCommandHandler&) = delete;

    // Each replaces (and destroys) the callback registered before; an empty one empties the
    // slot.
    ORV_EXPORT void RegisterRecollectTelemetryHandler(Callback handler);
    ORV_EXPORT void RegisterDuplicateTelemetryHandler(Callback handler);

    const Callback& recollectHandler() const { return recollect_handler_; }
    const Callback& duplicateHandler() const { return duplicate_handler_; }

  private:
    Callback recollect_handler_;
    Callback duplicate_handler_;
    // When the command last ran (milliseconds since the epoch, 0 never); kept by the libraries
    // that process the command, copied bit for bit here.
    std::int64_t last_command_time_ms_ = 0;
};

}  // namespace ORV
