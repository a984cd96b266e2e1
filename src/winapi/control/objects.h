#pragma once
// Named kernel objects as other processes on the machine would hold them.

#include <optional>
#include <string_view>

#include "winapi/machine/mutex_state.h"
#include "winapi/windows_api.h"

namespace winsim::objects {

// Creates (or takes) the named mutex and owns it on behalf of another process:
// CreateMutexW then returns the existing mutex with ERROR_ALREADY_EXISTS and without
// ownership, waits on it time out, and ReleaseMutex fails with ERROR_NOT_OWNER.
WINSIM_API void HoldMutexElsewhere(std::wstring_view name);
// The other process releases the mutex (abandoned: it ended while owning it). False when
// it did not hold the mutex.
WINSIM_API bool ReleaseMutexElsewhere(std::wstring_view name, bool abandoned = false);

// Empty when no mutex of that name exists.
WINSIM_API std::optional<MutexState> GetMutexState(std::wstring_view name);
WINSIM_API bool NamedObjectExists(std::wstring_view name);

}  // namespace winsim::objects
