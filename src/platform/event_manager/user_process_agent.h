#pragma once

#include "winapi/windows_api.h"

// Starts and stops the per-user process "ORVUserAgent.exe" in the active user session
// (event-manager library). Any thread may call; calls are serialised inside.
class UserProcessAgent {
  public:
    // The process-wide agent; never null, never deleted by callers.
    static UserProcessAgent* GetInstance();

    // True when the client's data set wants the per-user process.
    bool IsDatasetEnable();

    // 1 when the running per-user process sits in another session than the active user
    // session and must be stopped before it is started again; 0 otherwise.
    int CheckUserProcessSessionIdChange();

    // Stops the per-user process if it runs; flags are passed through unchanged (0).
    void StopUserProcess(int flags);

    // Starts the per-user process in the active user session unless it already runs there,
    // there is no active user session, or stopEvent is signalled. stopEvent is read, not kept.
    void StartUserProcess(HANDLE& stopEvent, int flags);

    UserProcessAgent(const UserProcessAgent&) = delete;
    UserProcessAgent& operator=(const UserProcessAgent&) = delete;

  private:
    UserProcessAgent() = default;
    ~UserProcessAgent() = default;
};
