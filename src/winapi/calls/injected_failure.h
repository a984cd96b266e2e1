#pragma once
// The failure check of the calls that report failure through GetLastError.

#include "winapi/machine/machine.h"
#include "winapi/machine/thread_identity.h"

namespace winsim::detail {

// True when an arranged failure hits this call; the calling thread's last error is then the
// arranged code. `caller`: where the Win32 function was called from, for failures aimed at
// one module.
inline bool FailsWithLastError(Call call, const void* caller) {
    if (const auto code = Machine::Get().failures.Check(call, caller)) {
        SetLastErrorCode(static_cast<DWORD>(*code));
        return true;
    }
    return false;
}

}  // namespace winsim::detail
