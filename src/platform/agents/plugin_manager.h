#pragma once

#include "winapi/windows_api.h"

namespace ORV {

// The extension module's plug-in manager: runs the user plug-ins in the active user session.
// Any thread; calls are serialised inside.
class PluginManager {
  public:
    // The process-wide manager; never null, never deleted by callers.
    static PluginManager* GetInstance();

    // Tells the manager about a user session. With suspend false, sessionId becomes the
    // active session and the user plug-ins of every other session are stopped; with suspend
    // true, the user plug-ins of sessionId are suspended (its user logged off). userSession is
    // true for interactive user sessions.
    void UpdateUserSession(bool userSession, DWORD sessionId, bool suspend);

    // Starts the user plug-ins (userPlugins true) in the active session, if there is one.
    void Start(bool userPlugins);

    PluginManager(const PluginManager&) = delete;
    PluginManager& operator=(const PluginManager&) = delete;

  private:
    PluginManager() = default;
    ~PluginManager() = default;
};

}  // namespace ORV
