// The event-manager library's two monitors: the global device-context monitor and the client
// event monitor. Their state lives apart from the instances so that it reads back at any time.

#include <algorithm>
#include <vector>

#include "base/annotated_mutex.h"
#include "base/guarded.h"
#include "platform/common_base/process_wrap.h"
#include "platform/event_manager/device_context_event_monitor.h"
#include "platform/event_manager/orv_event_monitor.h"
#include "sim/client/client_control.h"
#include "sim/client/client_reset.h"
#include "sim/trace.h"

namespace {

constexpr char kDeviceContextComponent[] = "DeviceContextEventMonitor";
constexpr char kClientComponent[] = "ORVEventMonitor";

class MonitorBook : public orvbase::Guarded<orvsim::MonitorState> {
  public:
    void StartDeviceContext() EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        state_.deviceContextMonitorRunning = true;
    }

    void StopDeviceContext() EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        state_.deviceContextMonitorRunning = false;
        state_.userMonitorSessions.clear();
    }

    bool AddUser(int session) EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        if (!state_.deviceContextMonitorRunning || session < 0) {
            return false;
        }
        auto& sessions = state_.userMonitorSessions;
        if (std::find(sessions.begin(), sessions.end(), session) == sessions.end()) {
            sessions.push_back(session);
        }
        return true;
    }

    void SetClientRunning(bool running) EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        state_.clientEventMonitorRunning = running;
    }
};

MonitorBook& TheMonitors() {
    static MonitorBook monitors;
    return monitors;
}

}  // namespace

// --- DeviceContextEventMonitor --------------------------------------------------------------

DeviceContextEventMonitor* DeviceContextEventMonitor::GetInstance() {
    orvsim::TraceCall(kDeviceContextComponent, "GetInstance");
    static DeviceContextEventMonitor monitor;
    return &monitor;
}

DeviceContextEventMonitor::DeviceContextEventMonitor()
    : regionChangeEvent_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

void DeviceContextEventMonitor::Start() {
    TheMonitors().StartDeviceContext();
    orvsim::TraceCall(kDeviceContextComponent, "Start");
}

void DeviceContextEventMonitor::Stop() {
    TheMonitors().StopDeviceContext();
    orvsim::TraceCall(kDeviceContextComponent, "Stop");
}

bool DeviceContextEventMonitor::TryAddUserRelatedMonitors() {
    orvsim::TraceCall(kDeviceContextComponent, "TryAddUserRelatedMonitors");
    int session = -1;
    {
        orvsim::TraceSilence quiet;
        session = ORV::ProcessWrap::GetActiveUserSessionId();
    }
    const bool added = TheMonitors().AddUser(session);
    orvsim::TraceCall(kDeviceContextComponent, "TryAddUserRelatedMonitorsDone", session, added);
    return added;
}

// --- ORVEventMonitor ---------------------------------------------------------------------------

ORVEventMonitor* ORVEventMonitor::GetInstance() {
    orvsim::TraceCall(kClientComponent, "GetInstance");
    static ORVEventMonitor monitor;
    return &monitor;
}

void ORVEventMonitor::Start() {
    TheMonitors().SetClientRunning(true);
    orvsim::TraceCall(kClientComponent, "Start");
}

void ORVEventMonitor::Shutdown() {
    TheMonitors().SetClientRunning(false);
    orvsim::TraceCall(kClientComponent, "Shutdown");
}

// --- Control ------------------------------------------------------------------------------------

namespace orvsim {

MonitorState Monitors() {
    return TheMonitors().State();
}

namespace client {

void ResetMonitors() {
    TheMonitors().Reset();
}

}  // namespace client
}  // namespace orvsim
