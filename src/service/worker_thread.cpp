// The worker thread: brings the client up in a fixed order, waits for the full-init signal
// and for the stop, then takes the agents down.

#include <json/json.h>

#include <exception>
#include <new>

#include "platform/common_base/ep_url_provider.h"
#include "platform/common_base/log.h"
#include "platform/common_base/registration_result.h"
#include "platform/common_base/security_attributes.h"
#include "platform/common_base/string_utils.h"
#include "platform/common_base/utility.h"
#include "platform/diagnostics/diagnostics_manager.h"
#include "platform/event_data/device_context.h"
#include "platform/event_manager/device_context_event_monitor.h"
#include "platform/kes/command_processor.h"
#include "platform/shared_native/app_and_tag_collection.h"
#include "platform/shared_native/applicability_evaluator.h"
#include "service/agent_headers.h"
#include "service/orv_client_service.h"
#include "shared/com_init.h"
#include "shared/device_info_provider.h"
#include "shared/operational_events_manager.h"
#include "shared/orv_helper_factory.h"
#include "shared/orv_status_manager.h"
#include "winapi/thread_start.h"

namespace {
constexpr const wchar_t* kScope = L"OrvClientService::OrvWorkerThread";
constexpr const wchar_t* kRunningMutexName = L"Global\\_OrvRunningMutex";
constexpr DWORD kFullInitSignaled = WAIT_OBJECT_0 + 1;
constexpr DWORD kStopSignaled = WAIT_OBJECT_0;
}  // namespace

void OrvClientService::OrvWorkerThread() {
    try {
        ORV::g_log.d(L"%s: Start", kScope);

        thread_local ORV::ComInit comInit(false);
        if (!comInit.isOK()) {
            ORV::g_log.e(L"%s: ComInit.isOK() failed. comInit._hResInit = %d", kScope,
                         comInit._hResInit);
            return;
        }

        CreateRunningMutex();

        ORV::g_log.d(L"%s: Initializing ORV helper factory", kScope);
        const HelperReferences helpers = SetUpHelperFactory();
        Roster roster{};
        CreateFirstAgentGroup(roster);

        StartDeviceContextMonitor();

        if (IsServiceStopInitiated()) {
            ORV::g_log.d(L"%s: ServiceStopInitiated and uninit completed - exiting worker thread",
                         kScope);
            return;
        }

        CreateSecondAgentGroup(roster);
        ReadRealm();

        if (helpers.deviceInfoProvider) {
            helpers.deviceInfoProvider->Init(WithHelperFactory([](orv::ORVHelperFactory& factory) {
                return factory.GetMachineInformationAgent();
            }));
        }

        const bool isArm64 = SetUpStartupTypeHandling();
        SubscribeToSystemEventLog();

        ORV::g_log.d(L"%s: Initializing agents", kScope);
        const bool stoppedDuringInit = InitializeAgents();
        InitializeCommandProcessor();
        if (stoppedDuringInit) {
            ORV::g_log.d(
                L"%s: Service stop initiated during initializing agents , so calling UnInit",
                kScope);
            UnInit();
            ORV::g_log.d(L"%s: UnInit completed - exiting worker thread", kScope);
            return;
        }

        RecordStartupEvent();
        if (AppAndTagCollection* tags = AppAndTagCollection::GetInstance(); tags != nullptr) {
            tags->CollectTags(_hStopEvent, isArm64, true);
        }
        LogDeviceContext();
        RegisterDevice();
        if (DiagnosticsManager* diagnostics = DiagnosticsManager::GetInstance();
            diagnostics != nullptr) {
            diagnostics->Init(_hStopEvent);
        }

        ORV::g_log.d(L"%s: Waiting for agents to fully initialize", kScope);
        if (IsServiceStopInitiated()) {
            ORV::g_log.d(
                L"%s: ServiceStopInitiated before fullinit started. Uninit completed - exiting worker thread",
                kScope);
            return;
        }

        if (WaitForFullInit()) {
            ORV::g_log.d(L"%s: Waiting on service stop event", kScope);
            WaitForSingleObject(_hStopEvent, INFINITE);
        }

        TakeDown(helpers);
        ORV::g_log.d(L"%s: Exit", kScope);
    } catch (const std::bad_array_new_length& error) {
        ORV::g_log.e(L"%s: Exception, %s", kScope, ORV::String::UTF8ToUTF16(error.what()));
        ORV::g_log.d(L"%s: Exit", kScope);
    } catch (const std::exception&) {
        ORV::g_log.e(L"%s: Exception occured", kScope);
        ORV::g_log.d(L"%s: Exit", kScope);
    }
}

void OrvClientService::CreateRunningMutex() {
    SECURITY_ATTRIBUTES attributes{};
    if (InitializeSecurityAttributes(attributes, false)) {
        _hRunningMutex = CreateMutexW(&attributes, TRUE, kRunningMutexName);
    }
    FreeSecurityAttribute(attributes);
    ORV::g_log.d(L"%s: Created Global Running Mutex", kScope);
}

void OrvClientService::StartDeviceContextMonitor() {
    tsa::MutexViewLock lock(_agentsLock);
    ORV::g_log.d(L"%s: Initializing DeviceContext Event Monitor", kScope);
    _deviceContextEventMonitor = DeviceContextEventMonitor::GetInstance();
    _deviceContextEventMonitor->Start();
    if (_deviceContextMonitorTakenDown) {
        ORV::g_log.d(L"%s: The take-down has already passed the monitor, stopping it", kScope);
        _deviceContextEventMonitor->Stop();
    }
}

void OrvClientService::ReadRealm() {
    std::wstring realm;
    ORV::EpUrlProvider::GetInstance()->GetRealm(realm);
    ORV::g_log.d(L"%s: Org id/realm from registry:%s", kScope, realm);
    ORV::OperationalEventsManager::GetInstance().SetORVRealm(realm);
}

bool OrvClientService::SetUpStartupTypeHandling() {
    if (ORV::DeviceInfoProvider::GetInstance()->GetCPUArchitecture() == PROCESSOR_ARCHITECTURE_ARM64) {
        ChangeORVStartUpType(true);
        return true;
    }
    _hStartupTypeChangeEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    tsa::MutexViewLock lock(_agentsLock);
    _startupTypeThread = std::make_unique<std::thread>(
        orvwin::StartThread([this] { CheckAndUpdateORVStartUpType(); }));
    return false;
}

void OrvClientService::InitializeCommandProcessor() {
    tsa::MutexViewLock lock(_agentsLock);
    _commandProcessor = KESCommandProcessor::GetInstance();
    ORV::g_log.d(L"%s: Init called for KESCommandProcessor", kScope);
    _commandProcessor->Init();
    ORV::g_log.d(L"%s: Init completed for KESCommandProcessor", kScope);
    if (_commandProcessorTakenDown) {
        ORV::g_log.d(
            L"%s: The take-down has already passed KESCommandProcessor, calling its UnInit",
            kScope);
        _commandProcessor->UnInit();
    }
}

void OrvClientService::RecordStartupEvent() {
    Json::Value context(Json::objectValue);
    context["context"] = "Service";
    const std::string now = ORV::String::UTF16ToUTF8(ORV::System::GetTime());
    ORV::OperationalEventsManager::GetInstance().HandleEvent(
        static_cast<ORV::OperationalEventType>(1), static_cast<ORV::OperationalEventLevel>(2), now,
        context);
}

void OrvClientService::LogDeviceContext() {
    ORV::g_log.d(L"%s: Logging device context", kScope);
    const DeviceContext deviceContext;
    if (_eventManager) {
        _eventManager->LogDeviceContext(true, deviceContext, true);
    }
}

void OrvClientService::RegisterDevice() {
    orv::registration::RegistrationResult result;
    if (_deviceRegistrationAgent) {
        result = _deviceRegistrationAgent->RegisterDevice(
            orv::registration::RegistrationRequest{6, 3, false});
    }
    if (result.success) {
        ORV::g_log.d(L"%s: Registration successful", kScope);
        ORV::g_log.d(L"%s: Setting startup type change event", kScope);
        if (HANDLE changeEvent = _hStartupTypeChangeEvent.load(); changeEvent != nullptr) {
            SetEvent(changeEvent);
        }
    } else {
        ORV::g_log.e(L"%s: Registration failed. Code=%d", kScope, result.errorCode);
    }
}

bool OrvClientService::WaitForFullInit() {
    ORV::g_log.d(L"%s: Waiting for FullInit event", kScope);
    const HANDLE handles[] = {_hStopEvent, _hFullInitEvent};
    const DWORD result = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
    if (result == kFullInitSignaled) {
        ORV::g_log.d(L"%s: FullInit event signaled", kScope);
        FullyInitializeAgents();
        return true;
    }
    if (result == kStopSignaled) {
        ORV::g_log.d(L"%s: Service stop event signaled", kScope);
        return false;
    }
    return true;
}

void OrvClientService::TakeDown(const HelperReferences& helpers) {
    ReleaseMutex(_hRunningMutex);
    ORV::g_log.d(L"%s: Calling UnInit", kScope);
    UnInit();
    ORV::g_log.d(L"%s: Completed UnInit", kScope);
    if (helpers.statusManager) {
        helpers.statusManager->Uninit();
    }
    if (ApplicabilityEvaluator* evaluator = ApplicabilityEvaluator::GetInstance();
        evaluator != nullptr) {
        evaluator->Uninit();
    }
    ORV::g_log.d(L"%s: Completed UnInit for StatusMgr and ApplicabilityEvaluator", kScope);
}
