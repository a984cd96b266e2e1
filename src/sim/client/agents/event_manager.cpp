#include "platform/event_manager/event_manager.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "base/annotated_mutex.h"
#include "base/guarded.h"
#include "platform/event_manager/orv_event_monitor.h"
#include "sim/client/agent_support.h"
#include "sim/client/client_control.h"
#include "sim/client/client_reset.h"

namespace {

constexpr char kComponent[] = "EventManager";

orvsim::client::OwnedInstance<EventManager>& Instance() {
    static orvsim::client::OwnedInstance<EventManager> instance;
    return instance;
}

constexpr DWORD kPowerEvent = 13;              // SERVICE_CONTROL_POWEREVENT
constexpr DWORD kPowerSettingChange = 0x8013;  // PBT_POWERSETTINGCHANGE

// The layout in which the service hands a power-setting change over: the setting, the data's
// length and the service's own copy of the data, which ends in one zero byte more.
struct PowerSettingReceived {
    GUID guid;
    DWORD dataLength;
    const std::uint8_t* data;
};

std::string GuidText(const GUID& guid) {
    char text[37];
    std::snprintf(text, sizeof text, "%08x-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x",
                  static_cast<unsigned>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0],
                  guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5],
                  guid.Data4[6], guid.Data4[7]);
    return text;
}

// The data's bytes and the zero byte after them, in hexadecimal; "null" without data.
std::string BytesText(const PowerSettingReceived* setting) {
    if (setting->data == nullptr) {
        return "null";
    }
    std::string text;
    for (DWORD i = 0; i <= setting->dataLength; ++i) {
        char byte[4];
        std::snprintf(byte, sizeof byte, i == 0 ? "%02x" : " %02x", setting->data[i]);
        text += byte;
    }
    return text;
}

// What the event manager has received; kept apart from the instance so that it survives the
// instance and reads back after the service has stopped.
class Received : public orvbase::Guarded<std::vector<orvsim::ForwardedControl>> {
  public:
    void Add(const orvsim::ForwardedControl& control) EXCLUDES(mutex_) {
        tsa::MutexLock lock(mutex_);
        state_.push_back(control);
    }
};

Received& TheReceived() {
    static Received received;
    return received;
}

constexpr DWORD kSessionChange = 14;

}  // namespace

EventManager* EventManager::GetInstance(SERVICE_STATUS_HANDLE statusHandle) {
    const bool missing = orvsim::IsInstanceMissing(kComponent);
    orvsim::TraceCall(kComponent, "GetInstance", static_cast<const void*>(statusHandle),
                      missing ? "null" : "instance");
    if (missing) {
        return nullptr;
    }
    return Instance().Get([statusHandle] { return new EventManager(statusHandle); });
}

EventManager::EventManager(SERVICE_STATUS_HANDLE statusHandle)
    : IORVAgent(L"EventManager"), statusHandle_(statusHandle) {
    orvsim::client::AgentCreated(this);
}

EventManager::~EventManager() {
    orvsim::client::AgentDestroyed(this);
    Instance().Forget(this);
}

bool EventManager::Init() {
    const bool initialized =
        orvsim::client::TrackedInit(this, [this] { return IORVAgent::Init(); });
    if (initialized) {
        orvsim::TraceSilence quiet;  // the library's own monitor, not the caller's call
        ORVEventMonitor::GetInstance()->Start();
    }
    return initialized;
}

bool EventManager::LogDeviceContext(bool immediate, const DeviceContext& context,
                                    bool userTriggered) {
    orvsim::TraceCall(kComponent, "LogDeviceContext", immediate, context.reason,
                      context.userSessionId, userTriggered);
    // Recorded only by an initialised manager: before that it has nowhere to write.
    return IsInitialized();
}

DWORD EventManager::OnServiceControl(DWORD control, DWORD eventType, void* eventData,
                                     void* context) {
    orvsim::ForwardedControl received;
    received.control = control;
    received.eventType = eventType;
    received.hasEventData = eventData != nullptr;
    if (control == kSessionChange && eventData != nullptr) {
        // The service's copy: the structure size, then the session id.
        received.sessionId = static_cast<const DWORD*>(eventData)[1];
    }
    TheReceived().Add(received);
    orvsim::TraceCall(kComponent, "OnServiceControl", control, eventType,
                      static_cast<const void*>(eventData), static_cast<const void*>(context));
    if (control == kPowerEvent && eventType == kPowerSettingChange && eventData != nullptr) {
        // What the pointer leads to, read as the event manager reads it, so that a reader
        // of the trace sees the bytes the service handed over, not only where they were.
        const auto* setting = static_cast<const PowerSettingReceived*>(eventData);
        orvsim::TraceCall(kComponent, "OnServiceControlPowerSetting", GuidText(setting->guid),
                          setting->dataLength, BytesText(setting));
    }
    return NO_ERROR;
}

namespace orvsim {

std::vector<ForwardedControl> ForwardedControls() {
    return TheReceived().State();
}

namespace client {

void ResetEventManager() {
    TheReceived().Reset();
}

}  // namespace client
}  // namespace orvsim
