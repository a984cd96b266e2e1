#include "host/service_host.h"

#include "service/entry_points.h"
#include "sim/common_base/log_control.h"
#include "winapi/sim/control.h"

namespace orvhost {

namespace {

bool WaitForMessage(std::wstring_view message, std::chrono::milliseconds realTimeout) {
    return orvsim::WaitForLog(
        [message](const orvsim::LogRecord& record) { return record.message == message; },
        realTimeout);
}

}  // namespace

ServiceHost::ServiceHost(SERVICE_STATUS_HANDLE statusHandle) : statusHandle_(statusHandle) {}

ServiceHost::~ServiceHost() {
    if (startThread_.joinable()) {
        startThread_.join();
    }
}

void ServiceHost::Start() {
    startCalledAt_ = winsim::clock::MonotonicNow();
    startThread_ = std::thread([handle = statusHandle_] { OnStart(handle); });
}

bool ServiceHost::WaitForStartReturned(std::chrono::milliseconds realTimeout) {
    return WaitForMessage(L"OrvClientService::OnStart: Setting an event for service start",
                          realTimeout);
}

bool ServiceHost::WaitForFullInit(std::chrono::milliseconds realTimeout) {
    // The worker writes this line right after the agents' full initialisation.
    if (!WaitForMessage(L"OrvClientService::OrvWorkerThread: Waiting on service stop event",
                        realTimeout)) {
        return false;
    }
    fullInitAt_ = winsim::clock::MonotonicNow();
    return true;
}

void ServiceHost::SendControl(DWORD control, DWORD eventType, void* eventData) {
    OnServiceControlHandle(control, eventType, eventData, nullptr);
    ++controlsDelivered_;
}

void ServiceHost::SendSessionChange(DWORD reason, DWORD sessionId) {
    WTSSESSION_NOTIFICATION notification{};
    notification.cbSize = sizeof(notification);
    notification.dwSessionId = sessionId;
    // The library copies what it needs before the call returns, as with the real SCM.
    SendControl(SERVICE_CONTROL_SESSIONCHANGE, reason, &notification);
}

void ServiceHost::SendPowerEvent(DWORD eventType) {
    SendControl(SERVICE_CONTROL_POWEREVENT, eventType);
}

void ServiceHost::SendTimeChange(int64_t oldFileTime, int64_t newFileTime) {
    SERVICE_TIMECHANGE_INFO info{};
    info.liOldTime.QuadPart = oldFileTime;
    info.liNewTime.QuadPart = newFileTime;
    SendControl(SERVICE_CONTROL_TIMECHANGE, 0, &info);
}

void ServiceHost::ChangeClock(std::chrono::milliseconds delta) {
    const auto before = winsim::clock::WallNow();
    winsim::ChangeSystemTime(delta);
    const auto after = winsim::clock::WallNow();
    SendTimeChange(winsim::clock::ToFileTime(before), winsim::clock::ToFileTime(after));
}

void ServiceHost::Stop() {
    const auto began = winsim::clock::MonotonicNow();
    OnStop();
    stopTook_ = winsim::clock::MonotonicNow() - began;
    if (startThread_.joinable()) {
        startThread_.join();
    }
}

std::optional<std::chrono::milliseconds> ServiceHost::TimeToFullInit() const {
    if (!fullInitAt_) {
        return std::nullopt;
    }
    return *fullInitAt_ - startCalledAt_;
}

std::optional<std::chrono::milliseconds> ServiceHost::TimeToStop() const { return stopTook_; }

}  // namespace orvhost
