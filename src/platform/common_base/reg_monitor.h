#pragma once
// ORV::CRegMonitor: waits for registry values to change.
//
// Usage: Init, then AddMonitorKey for each value to watch, then WaitForChange in a loop.
// WaitForChange blocks until one of the watched values changes and says which; Stop (from any
// thread) makes a pending and every later WaitForChange return false at once.
//
// Threads: Init, AddMonitorKey and WaitForChange are meant for one thread (the watcher); Stop
// may be called from any thread at any time, also before Init and more than once. The monitor
// must outlive any WaitForChange in progress; the owner stops it before destroying it.

#include <memory>
#include <string>

#include "winapi/windows_api.h"

namespace ORV {

class CRegMonitor {
  public:
    CRegMonitor();
    ~CRegMonitor();
    CRegMonitor(const CRegMonitor&) = delete;
    CRegMonitor& operator=(const CRegMonitor&) = delete;

    // Prepares the monitor. True on success; false when its stop event cannot be created.
    bool Init();

    // Starts watching `valueName` of `root`\`subKey`. With an empty `valueName` any change of
    // the key's values counts; `watchSubtree` non-zero counts changes in sub-keys too (then
    // only with an empty `valueName`). Returns the watch's index for WaitForChange, or -1 when
    // the monitor is not initialized, the key cannot be opened or too many keys are watched.
    int AddMonitorKey(HKEY root, const std::wstring& subKey, const std::wstring& valueName,
                      int watchSubtree);

    // Blocks until a watched value changes (true; `changedIndex` is then the watch's index),
    // or until Stop, a failure or the time-out (false). `timeoutMs` 0 waits without limit.
    bool WaitForChange(DWORD& changedIndex, int timeoutMs);

    // Ends every pending and later WaitForChange.
    void Stop();

    struct State;  // defined by the library

  private:
    std::unique_ptr<State> state_;
};

}  // namespace ORV
