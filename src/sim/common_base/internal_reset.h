#pragma once
// Resets of process-wide stand-in state that bypass the traced entry points, for
// ResetCommonBase.

namespace orvsim::internal {

void ResetCriticalEventCallback();
void ResetAgentInitializer();

}  // namespace orvsim::internal
