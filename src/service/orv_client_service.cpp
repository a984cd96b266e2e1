#include "service/orv_client_service.h"

#include "platform/common_base/log.h"
#include "platform/common_base/reg_monitor.h"
#include "platform/shared_native/publisher_subscriber.h"

// The remaining agent interfaces are complete here so that the shared pointers can be
// released by this translation unit.
#include "service/agent_headers.h"

OrvClientService::OrvClientService(SERVICE_STATUS_HANDLE statusHandle)
    : _hStopEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      _hFullInitEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      _hServiceStartedEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      _hStatus(statusHandle) {}

OrvClientService::~OrvClientService() {
    // First, so that no notification reaches the object while it goes.
    EndBusSubscription();
    // A take-down that an exception cut short has not ended and joined the threads; they end
    // on the stop event, and destroying a joinable thread would end the process.
    if (_hStopEvent != nullptr) {
        SetEvent(_hStopEvent);
    }
    JoinStartupTypeWatcher();
    if (std::unique_ptr<std::thread> worker = TakeWorkerThread()) {
        worker->join();
    }
    // The factories hold the agents and helpers in shared pointers of their own; left in place,
    // a restart would wrap the same singletons in second ones, and each would delete them.
    if (_factoriesHeld) {
        ReleaseFactories();
    }
    for (HANDLE* handle :
         {&_hFullInitEvent, &_hStopEvent, &_hRunningMutex, &_hServiceStartedEvent}) {
        if (*handle != nullptr) {
            CloseHandle(*handle);
            *handle = nullptr;
        }
    }
    // Agents last declared first, as members would be; the monitor and the roster follow.
    _extensionModule.reset();
    _eventManager.reset();
    _dataSyncAgent.reset();
    _deployAgent.reset();
    _clientBrokerManager.reset();
    _appProvisioningAgent.reset();
    _notificationAgent.reset();
    _downloadAgent.reset();
    _mdmAgent.reset();
    _configPolicyAgent.reset();
    _coreAdapterAgent.reset();
    _deviceRegistrationAgent.reset();
    _regMonitor.reset();
}

void OrvClientService::EndBusSubscription() {
    std::wstring subscription;
    {
        tsa::MutexLock lock(_cleanupMutex);
        subscription.swap(_busSubscription);
    }
    // Unsubscribe waits for a delivery in progress, so no lock of ours is held across it.
    if (!subscription.empty()) {
        ORVPublisherSubscriber::GetInstance()->Unsubscribe(subscription);
    }
}

bool OrvClientService::IsServiceStopInitiated() {
    if (WaitForSingleObject(_hStopEvent, 0) != WAIT_OBJECT_0) {
        return false;
    }
    StopProbeUnInit();
    return true;
}

void OrvClientService::StopProbeUnInit() {
    constexpr const wchar_t* kScope = L"OrvClientService::IsServiceStopInitiated";
    ORV::g_log.d(L"%s: Calling Uninit", kScope);
    UnInit();
    ORV::g_log.d(L"%s: Completed Uninit", kScope);
}
