#pragma once
// Per-thread facts the Win32 calls need: the last error, the thread id that
// GetCurrentThreadId reports, and a token that identifies the thread as a mutex owner
// and is never reused.

#include <cstdint>

#include "winapi/win32/types.h"

namespace winsim::detail {

DWORD LastError();
void SetLastErrorCode(DWORD code);
DWORD CurrentThreadId();
uint64_t CurrentOwnerToken();

// The owner token of "another process" holding a mutex.
inline constexpr uint64_t kElsewhereOwner = UINT64_MAX;

}  // namespace winsim::detail
