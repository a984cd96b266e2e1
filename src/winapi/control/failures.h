#pragma once
// Failure injection for the platform calls whose failure the service handles, and call
// counts. A failing call does what Windows does on failure: a null handle or FALSE with
// the code set through SetLastError, WAIT_FAILED for waits, the code itself as the
// result of registry calls (LSTATUS) and COM calls (HRESULT).

#include <cstdint>
#include <string>

#include "winapi/machine/failure_calls.h"
#include "winapi/windows_api.h"

namespace winsim::failures {

// The next `count` aimed-at calls fail with `code` (a Win32 error code, an HRESULT for the
// COM calls, an errno value for CreateThread), then calls succeed again.
WINSIM_API void FailNext(Call call, unsigned count, LONG code, const Target& target = {});
// Every aimed-at call fails with `code` until Clear.
WINSIM_API void FailAlways(Call call, LONG code, const Target& target = {});
WINSIM_API void Clear(Call call);
WINSIM_API void ClearAll();

// Calls made since the machine was created or reset, failed ones included.
WINSIM_API uint64_t CallCount(Call call);

}  // namespace winsim::failures
