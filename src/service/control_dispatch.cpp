// Service controls, on a thread of the private pool: the client's own codes, forwarding to the
// event manager, and the standard controls the service acts on.

#include <cstdlib>
#include <optional>

#include "base/file_time.h"
#include "platform/agents/general_app_settings_agent.h"
#include "platform/common_base/log.h"
#include "platform/diagnostics/diagnostics_manager.h"
#include "platform/event_manager/event_manager.h"
#include "platform/shared_native/app_and_tag_collection.h"
#include "platform/shared_native/publisher_subscriber.h"
#include "service/control_event_data.h"
#include "service/orv_client_service.h"
#include "shared/client_vocabulary.h"
#include "shared/device_info_provider.h"
#include "shared/notification_data.h"
#include "shared/orv_helper_factory.h"
#include "shared/orv_status_manager.h"

namespace {
using orv::bus::kStateMaintenance;
using orv::bus::kStateMaintenanceAlternate;
using orv::bus::kStateResumedFromSleep;
using orv::bus::kTopicMaintenance;
using orv::bus::kTopicPower;
using orv::control_codes::kDiagnosticsScan;
using orv::control_codes::kDiagnosticsScanAlternate;
using orv::control_codes::kMaintenance;
using orv::control_codes::kMaintenanceAlternate;
constexpr const wchar_t* kScope = L"OrvClientService::OnServiceControlHandle";

uint64_t FileTimeToUnixSeconds(int64_t fileTime) {
    // Unsigned, as the announcement's arithmetic is: a time before 1970 wraps.
    return static_cast<uint64_t>(fileTime) / orvbase::filetime::kUnitsPerSecond -
           orvbase::filetime::kUnixEpochSeconds;
}
}  // namespace

DWORD OrvClientService::OnServiceControlHandle(DWORD control, DWORD eventType, void* eventData,
                                               void* context) {
    try {
        DispatchControl(control, eventType, eventData, context);
    } catch (...) {
        ORV::g_log.e(L"%s failed with exception", kScope);
    }
    return NO_ERROR;
}

void OrvClientService::DispatchControl(DWORD control, DWORD eventType, void* eventData,
                                       void* context) {
    if (_serviceStarted) {
        HandleClientControls(control, eventType, eventData, context);
    }
    switch (control) {
        case SERVICE_CONTROL_SHUTDOWN:
            GeneralAppSettingsAgent::GetInstance()->shutdownInitiated();
            break;
        case SERVICE_CONTROL_PRESHUTDOWN:
            HandlePreShutdown();
            break;
        case SERVICE_CONTROL_SESSIONCHANGE:
            HandleSessionChange(eventType, eventData);
            break;
        case SERVICE_CONTROL_POWEREVENT:
            if (eventType == PBT_APMRESUMEAUTOMATIC) {
                Publish(kTopicPower, kStateResumedFromSleep);
            }
            break;
        case SERVICE_CONTROL_TIMECHANGE:
            if (eventData != nullptr) {
                HandleTimeChangeControl(eventData);
            }
            break;
        default:
            break;
    }
}

void OrvClientService::HandleClientControls(DWORD control, DWORD eventType, void* eventData,
                                            void* context) {
    if (control == kDiagnosticsScan || control == kDiagnosticsScanAlternate) {
        DiagnosticsManager* diagnostics = DiagnosticsManager::GetInstance();
        ORV::g_log.d(L"%s: Diagnostics called with %d", kScope, control);
        // The diagnostics scanner is optional in a client build; without it there is no scan.
        if (diagnostics != nullptr) {
            diagnostics->StartDiagnosticsScan(control, std::optional<DiagnosticsParams>());
            ORV::g_log.d(L"%s: ORV diagnostics completed", kScope);
        }
    } else if (control == kMaintenance) {
        // Read under the helper factory's lock: a stop's release of the factory deletes the
        // provider.
        const bool isArm64 = WithHelperFactory([](orv::ORVHelperFactory&) {
            return ORV::DeviceInfoProvider::GetInstance()->GetCPUArchitecture() ==
                   PROCESSOR_ARCHITECTURE_ARM64;
        });
        // The app-and-tag collection may be absent; then there are no tags to refresh.
        if (AppAndTagCollection* tags = AppAndTagCollection::GetInstance(); tags != nullptr) {
            tags->RefreshTags(_hStopEvent, isArm64);
        }
        ORV::g_log.d(L"%s: Notifying agents as Maintenance task triggered", kScope);
        Publish(kTopicMaintenance, kStateMaintenance);
        const std::shared_ptr<ORV::OrvStatusManager> statusManager = WithHelperFactory(
            [](orv::ORVHelperFactory& factory) { return factory.GetOrvStatusManager(); });
        if (statusManager) {
            statusManager->ClearAllErrors();
        }
    } else if (control == kMaintenanceAlternate) {
        ORV::g_log.d(L"%s: Notifying agents as Maintenance task triggered", kScope);
        Publish(kTopicMaintenance, kStateMaintenanceAlternate);
    }
    // The flag first: the agent pointers are only complete once it is set.
    if (_fullyInitialized && _eventManager) {
        _eventManager->OnServiceControl(control, eventType, eventData, context);
    }
}

void OrvClientService::HandlePreShutdown() {
    ORV::g_log.d(L"%s: System pre-shutDown Enter", kScope);
    if (ClaimCleanup()) {
        ORV::g_log.d(L"%s: Starting cleanup from PRESHUTDOWN", kScope);
        Cleanup();
    } else {
        ORV::g_log.d(L"%s: Cleanup already started, skipping", kScope);
    }
    SERVICE_STATUS status{};
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = SERVICE_STOPPED;
    SetServiceStatus(_hStatus, &status);
    ORV::g_log.d(L"%s: System pre-shutDown Exit", kScope);
}

void OrvClientService::HandleTimeChangeControl(const void* eventData) {
    const auto* times = static_cast<const TimeChangeCopy*>(eventData);
    const uint64_t newSeconds = FileTimeToUnixSeconds(times->newTime);
    const uint64_t oldSeconds = FileTimeToUnixSeconds(times->oldTime);
    ORV::g_log.d(L"%s: Windows OS Timechange event received. old secs=%llu new secs=%llu", kScope,
                 oldSeconds, newSeconds);
    const int64_t difference =
        std::llabs(static_cast<int64_t>(newSeconds) - static_cast<int64_t>(oldSeconds));
    SendTimeChangeNotification(static_cast<int32_t>(static_cast<uint32_t>(difference)));
}

void OrvClientService::Publish(int topicId, int eventState) {
    ORVNotificationData notification(topicId, eventState, L"");
    ORVPublisherSubscriber::GetInstance()->Notify(notification, L"");
}
