#pragma once
// The outcome of a device registration, as the registration agent reports it.

#include <cstdint>

namespace orv::registration {

struct RegistrationResult {
    bool success = false;        // the device is registered
    std::int32_t errorCode = 0;  // the registration service's error code when it is not
};

}  // namespace orv::registration
