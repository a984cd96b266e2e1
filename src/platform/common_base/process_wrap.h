#pragma once
// Session bookkeeping of the client's processes.

#include "winapi/windows_api.h"

namespace ORV {

class ProcessWrap {
  public:
    // The session that per-user work should target now: the interactive (console) session.
    static DWORD GetCurrentSessionId();

    // The process-wide active user session id; -1 means no active user session. Reads and
    // writes are atomic; any thread.
    static int GetActiveUserSessionId();
    static void SetActiveUserSessionId(int sessionId);
};

}  // namespace ORV
