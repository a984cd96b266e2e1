#pragma once
// Resets of process-wide stand-in state that bypass the traced entry points, for
// ResetCommonBase.

namespace orvsim::internal {

void ResetCriticalEventCallback();
void ResetAgentInitializer();
// g_log back to its state before InitLog: no file, every level; no lines kept.
void ResetLog();

}  // namespace orvsim::internal
