#include "shared/send_telemetry_command_handler.h"

#include <utility>

namespace ORV {

const std::chrono::duration<int, std::ratio<60, 1>> SendTelemetryCommandHandler::cooldown_{5};

SendTelemetryCommandHandler::SendTelemetryCommandHandler(const SendTelemetryCommandHandler& other) =
    default;

SendTelemetryCommandHandler::SendTelemetryCommandHandler(
    SendTelemetryCommandHandler&& other) noexcept
    : recollect_handler_(std::move(other.recollect_handler_)),
      duplicate_handler_(std::move(other.duplicate_handler_)),
      last_command_time_ms_(other.last_command_time_ms_) {
    // A moved-from std::function is only "valid but unspecified"; the source must be empty.
    other.recollect_handler_ = nullptr;
    other.duplicate_handler_ = nullptr;
}

// Reverse declaration order: the duplicate callback, then the recollect callback.
SendTelemetryCommandHandler::~SendTelemetryCommandHandler() = default;

void SendTelemetryCommandHandler::RegisterRecollectTelemetryHandler(Callback handler) {
    recollect_handler_ = std::move(handler);
}

void SendTelemetryCommandHandler::RegisterDuplicateTelemetryHandler(Callback handler) {
    duplicate_handler_ = std::move(handler);
}

}  // namespace ORV
