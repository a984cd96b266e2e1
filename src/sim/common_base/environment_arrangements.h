#pragma once
// The store behind environment_control.h, shared by the stand-ins that answer from it.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/common_base/registration_result.h"

namespace orvsim::environment {

// One out-of-box check: counts it and answers as arranged.
bool CheckOobe();

std::optional<std::uint32_t> CurrentSessionOverride();

bool SecurityAttributesFail();
void SecurityDescriptorAllocated();
void SecurityDescriptorFreed();

// Back to "no active user session" without tracing a call (defined with ProcessWrap).
void ResetActiveUserSession();

}  // namespace orvsim::environment
