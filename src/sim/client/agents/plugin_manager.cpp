#include "platform/agents/plugin_manager.h"

#include <algorithm>
#include <vector>

#include "base/annotated_mutex.h"
#include "base/guarded.h"
#include "sim/client/client_control.h"
#include "sim/client/client_reset.h"
#include "sim/trace.h"

namespace {

constexpr char kComponent[] = "ORV::PluginManager";

class PluginBook : public orvbase::Guarded<orvsim::PluginState> {
  public:
    void UpdateSession(int session, bool suspend) EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        auto& suspended = state_.suspendedSessions;
        const auto found = std::find(suspended.begin(), suspended.end(), session);
        if (suspend) {
            if (found == suspended.end()) {
                suspended.push_back(session);
            }
            if (session == state_.activeSession) {
                state_.userPluginsRunning = false;
            }
            return;
        }
        if (found != suspended.end()) {
            suspended.erase(found);
        }
        if (session != state_.activeSession) {
            state_.userPluginsRunning = false;  // those of the previous session stop
            state_.activeSession = session;
        }
    }

    bool StartUserPlugins() EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        const auto& suspended = state_.suspendedSessions;
        const bool isSuspended =
            std::find(suspended.begin(), suspended.end(), state_.activeSession) != suspended.end();
        if (state_.activeSession >= 0 && !isSuspended) {
            state_.userPluginsRunning = true;
        }
        return state_.userPluginsRunning;
    }
};

PluginBook& ThePlugins() {
    static PluginBook plugins;
    return plugins;
}

}  // namespace

namespace ORV {

PluginManager* PluginManager::GetInstance() {
    orvsim::TraceCall(kComponent, "GetInstance");
    static PluginManager manager;
    return &manager;
}

void PluginManager::UpdateUserSession(bool userSession, DWORD sessionId, bool suspend) {
    if (userSession) {
        ThePlugins().UpdateSession(static_cast<int>(sessionId), suspend);
    }
    orvsim::TraceCall(kComponent, "UpdateUserSession", userSession, sessionId, suspend);
}

void PluginManager::Start(bool userPlugins) {
    if (userPlugins) {
        ThePlugins().StartUserPlugins();
    }
    orvsim::TraceCall(kComponent, "Start", userPlugins);
}

}  // namespace ORV

namespace orvsim {

PluginState Plugins() {
    return ThePlugins().State();
}

namespace client {

void ResetPluginManager() {
    ThePlugins().Reset();
}

}  // namespace client
}  // namespace orvsim
