#include <new>

#include "platform/common_base/log.h"
#include "platform/common_base/reg_monitor.h"
#include "platform/common_base/string_utils.h"
#include "platform/common_base/utility.h"
#include "platform/db_manager/database_manager.h"
#include "platform/shared_native/publisher_subscriber.h"
#include "service/orv_client_service.h"
#include "shared/machine_information.h"
#include "shared/notification_data.h"
#include "shared/orv_helper_factory.h"
#include "shared/orv_info.h"
#include "winapi/thread_start.h"

namespace {
constexpr const wchar_t* kScope = L"OrvClientService::OnStart";
constexpr DWORD kStopProbeMs = 1000;
}  // namespace

void OrvClientService::SubscribeUnlessCleanupClaimed() {
    // The claim is made under _cleanupMutex, so the subscription either comes before it (and
    // the cleanup's bus stop ends it) or sees it and is not made.
    tsa::MutexLock lock(_cleanupMutex);
    if (_cleanupStarted) {
        return;
    }
    _busSubscription = ORVPublisherSubscriber::GetInstance()->Subscribe(
        [this](ORVNotificationData& notification) { OnORVNotification(notification); }, false);
}

void OrvClientService::OnStart(DWORD /*argc*/, LPWSTR* /*argv*/) {
    try {
        const std::wstring version = OrvInfo::GetInstance()->GetOrvServiceVersion();
        ORV::g_log.d(L"%s: Service is starting. ORV version is %s", kScope, version);
        ORV::utility::OrvVersionName = ORV::String::UTF16ToUTF8(version);

        _hResCoInit = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        if (FAILED(_hResCoInit)) {
            ORV::g_log.w(L"%s: [TID:%lu] CoInitializeEx failed with error: %d", kScope,
                         GetCurrentThreadId(), _hResCoInit);
        } else {
            CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_CONNECT,
                                 RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
        }

        WithHelperFactory([](orv::ORVHelperFactory& helperFactory) {
            std::shared_ptr<MachineInformation> machineInformation(
                MachineInformation::GetInstance());
            machineInformation->ReInitialize(true);
            helperFactory.SetMachineInformationAgent(machineInformation);
        });

        ORV::DatabaseManager::GetInstance();

        SubscribeUnlessCleanupClaimed();

        if (WaitForSingleObject(_hStopEvent, kStopProbeMs) != WAIT_OBJECT_0) {
            _regMonitor = std::make_unique<ORV::CRegMonitor>();
            if (_regMonitor && _regMonitor->Init() && WaitOobeCompletion() &&
                !IsServiceStopInitiated()) {
                _serviceStarted.exchange(true);
                tsa::MutexLock lock(_workerThreadMutex);
                _workerThread = std::make_unique<std::thread>(
                    orvwin::StartThread([this] { OrvWorkerThread(); }));
                ORV::g_log.d(L"%s: Service started", kScope);
            }
        }

        ORV::g_log.d(L"%s: Setting an event for service start", kScope);
        SetEvent(_hServiceStartedEvent);
    } catch (const std::bad_array_new_length& error) {
        ORV::g_log.e(L"%s: [TID:%lu]  Bad array error caught on starting orv service. %s", kScope,
                     GetCurrentThreadId(), ORV::String::UTF8ToUTF16(error.what()));
    }
}
