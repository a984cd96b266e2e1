// Clock changes, from the System event log and from the time-change control, announced once
// on the bus (topic 13) when they exceed a minute and the last announcement is over 2 s old.

#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include "platform/common_base/log.h"
#include "platform/shared_native/publisher_subscriber.h"
#include "service/orv_client_service.h"
#include "service/time_delta.h"
#include "shared/client_vocabulary.h"
#include "shared/notification_data.h"

namespace {
using orv::bus::kStateNone;
using orv::bus::kTopicTimeChanged;
constexpr const wchar_t* kCallbackScope = L"OrvClientService::EventLogCallback";
constexpr const wchar_t* kDeltaScope = L"OrvClientService::GetTimeDeltaFromEvent";
constexpr const wchar_t* kSendScope = L"OrvClientService::SendTimeChangeNotification";
constexpr const wchar_t* kSystemChannel = L"System";
constexpr const wchar_t* kTimeChangeQuery = L"Event/System[EventID=1]";
constexpr int32_t kMinimumChangeSeconds = 60;
constexpr int32_t kMinimumSecondsBetweenNotifications = 2;

// The rendered XML of an event, or nothing (the last error says why) when it cannot be had.
bool RenderEventXml(EVT_HANDLE event, std::wstring& xml) {
    DWORD bufferUsed = 0;
    DWORD propertyCount = 0;
    EvtRender(nullptr, event, EvtRenderEventXml, 0, nullptr, &bufferUsed, &propertyCount);
    std::vector<wchar_t> buffer(bufferUsed / sizeof(wchar_t));
    const DWORD bufferSize = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (!EvtRender(nullptr, event, EvtRenderEventXml, bufferSize,
                   buffer.empty() ? nullptr : buffer.data(), &bufferUsed, &propertyCount)) {
        return false;
    }
    xml.assign(buffer.data(), wcsnlen(buffer.data(), buffer.size()));
    return true;
}
}  // namespace

void OrvClientService::SubscribeToSystemEventLog() {
    // Kept so that Cleanup can close it: after EvtClose no callback reaches this object.
    _hEventLogSubscription =
        EvtSubscribe(nullptr, nullptr, kSystemChannel, kTimeChangeQuery, nullptr, this,
                     &OrvClientService::EventLogCallback, EvtSubscribeToFutureEvents);
}

void OrvClientService::CloseEventLogSubscription() {
    if (EVT_HANDLE subscription = _hEventLogSubscription.exchange(nullptr);
        subscription != nullptr) {
        EvtClose(subscription);
    }
}

DWORD WINAPI OrvClientService::EventLogCallback(EVT_SUBSCRIBE_NOTIFY_ACTION action, PVOID context,
                                                EVT_HANDLE event) {
    // Returns into the platform: nothing may escape.
    try {
        ORV::g_log.d(L"%s: Callback received %d", kCallbackScope, event);
        if (action != EvtSubscribeActionDeliver) {
            return 0;
        }
        auto* service = static_cast<OrvClientService*>(context);
        const int64_t delta = service->GetTimeDeltaFromEvent(event);
        ORV::g_log.d(L"%s: Time delta in milliseconds %d", kCallbackScope, delta);
        service->SendTimeChangeNotification(static_cast<int32_t>(delta / 1000));
    } catch (...) {
        ORV::g_log.e(L"%s: failed to handle the event", kCallbackScope);
    }
    return 0;
}

int64_t OrvClientService::GetTimeDeltaFromEvent(EVT_HANDLE event) {
    std::wstring xml;
    if (!RenderEventXml(event, xml)) {
        ORV::g_log.d(L"%s: Error while rendering xml %d", kDeltaScope, GetLastError());
        return 0;
    }
    return TimeDeltaFromEventXml(xml);
}

void OrvClientService::SendTimeChangeNotification(int32_t timeDiffSeconds) {
    tsa::MutexLock lock(_timeChangeMutex);
    const int64_t now = _time64(nullptr);
    const auto timeDiffBetweenLastNotification =
        static_cast<int32_t>(static_cast<uint32_t>(std::llabs(_lastTimeChangeNotification - now)));
    if (timeDiffSeconds > kMinimumChangeSeconds &&
        timeDiffBetweenLastNotification > kMinimumSecondsBetweenNotifications) {
        ORV::g_log.d(
            L"%s: Windows OS Timechange event received.Time diff = %d. Sending internal time change notification",
            kSendScope, timeDiffSeconds);
        ORVNotificationData notification(kTopicTimeChanged, kStateNone, L"");
        ORVPublisherSubscriber::GetInstance()->Notify(notification, L"");
        _lastTimeChangeNotification = _time64(nullptr);
    } else {
        ORV::g_log.d(
            L"%s: Windows OS Timechange event received. Time diff = %d timeDiffBetweenLastNotification  = %d. Not sending internal time change notification",
            kSendScope, timeDiffSeconds, timeDiffBetweenLastNotification);
    }
}
