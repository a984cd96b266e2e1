#pragma once
// A named mutex's state as the machine's kernel reports it to the control API
// (winapi/control/objects.h).

#include "winapi/windows_api.h"

namespace winsim::objects {

struct MutexState {
    bool owned;           // by any thread or by the other process
    bool ownedElsewhere;  // by the other process
    DWORD ownerThreadId;  // 0 unless a thread of this process owns it
    bool abandoned;       // its owner ended without releasing it; the next wait sees that
};

}  // namespace winsim::objects
