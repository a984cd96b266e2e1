// Session changes keep the active user session, the per-user agent process, the device
// management agents and the user plug-ins in step with the interactive user.

#include "platform/agents/device_manager_agent.h"
#include "platform/agents/mdm_agent.h"
#include "platform/agents/plugin_manager.h"
#include "platform/common_base/log.h"
#include "platform/common_base/process_wrap.h"
#include "platform/event_data/device_context.h"
#include "platform/event_manager/device_context_event_monitor.h"
#include "platform/event_manager/event_manager.h"
#include "platform/event_manager/user_process_agent.h"
#include "platform/shared_native/applicability_evaluator.h"
#include "service/control_event_data.h"
#include "service/orv_client_service.h"
#include "shared/machine_information.h"
#include "shared/orv_helper_factory.h"

namespace {
constexpr const wchar_t* kScope = L"OrvClientService::OnServiceControlHandle";
constexpr const wchar_t* kUserAgentProcess = L"ORVUserAgent.exe";
constexpr int kSessionIdChanged = 1;
constexpr int kNoActiveSession = -1;
}  // namespace

int32_t OrvClientService::GetSessionIdOfLoggedOffUser(void* eventData) {
    // The pointer is the control work record's own copy (or null), valid for the whole
    // handling of the control, so the read cannot fault and needs no guard here.
    if (eventData == nullptr) {
        return -1;
    }
    const auto sessionId =
        static_cast<int32_t>(static_cast<const SessionChangeCopy*>(eventData)->sessionId);
    ORV::g_log.d(L"%s: session ID is=> %d", L"OrvClientService::GetSessionIdOfLoggedOffUser",
                 sessionId);
    return sessionId;
}

void OrvClientService::HandleSessionChange(DWORD eventType, void* eventData) {
    UserProcessAgent* userProcess = UserProcessAgent::GetInstance();
    const int32_t sessionId = GetSessionIdOfLoggedOffUser(eventData);
    ORV::g_log.d(L"%s dwEvent: %d sessionId: %d", kScope, eventType, sessionId);
    switch (eventType) {
        case WTS_SESSION_LOGON:
            OnSessionLogon(sessionId, *userProcess);
            break;
        case WTS_SESSION_LOGOFF:
            OnSessionLogoff(sessionId, *userProcess);
            break;
        case WTS_SESSION_UNLOCK:
            OnSessionUnlock(sessionId, *userProcess);
            break;
        case WTS_CONSOLE_CONNECT:
            ORV::g_log.d(L"%s: cosole connected. SessionId=%d", kScope, sessionId);
            ORV::ProcessWrap::SetActiveUserSessionId(sessionId);
            break;
        case WTS_REMOTE_CONNECT:
            ORV::g_log.d(L"%s: remote cosole connected. SessionId=%d", kScope, sessionId);
            ORV::ProcessWrap::SetActiveUserSessionId(sessionId);
            break;
        default:
            break;
    }
}

void OrvClientService::OnSessionLogon(int32_t sessionId, UserProcessAgent& userProcess) {
    ORV::g_log.d(L"%s: User Logged on. SessionId=%d", kScope, sessionId);
    ORV::ProcessWrap::SetActiveUserSessionId(sessionId);
    DeviceManagerAgent::GetInstance()->OnDeviceUnlock();
    DeviceContextEventMonitor::GetInstance()->TryAddUserRelatedMonitors();

    const std::shared_ptr<MachineInformation> machineInformation = WithHelperFactory(
        [](orv::ORVHelperFactory& factory) { return factory.GetMachineInformationAgent(); });
    if (machineInformation) {
        machineInformation->ReInitialize(true);
    } else {
        ORV::g_log.e(L"%s: Not able to access Machine Information", kScope);
    }

    // The flag first: the agent pointers are only complete once it is set.
    const bool fullyInitialized = _fullyInitialized;
    if (fullyInitialized && _eventManager) {
        const DeviceContext deviceContext;
        _eventManager->LogDeviceContext(true, deviceContext, true);
    }
    RestartUserProcessIfNeeded(userProcess);
    if (fullyInitialized && _mdmAgent) {
        MDMAgent::GetInstance()->Reinit();
    }
    if (fullyInitialized && _extensionModule) {
        ORV::g_log.d(L"%s: stopping non-active UserPlugin on user login.", kScope);
        ORV::PluginManager::GetInstance()->UpdateUserSession(
            true, ORV::ProcessWrap::GetCurrentSessionId(), false);
        ORV::g_log.d(L"%s: starting UserPlugin on user login.", kScope);
        ORV::PluginManager::GetInstance()->Start(true);
    }
    RefreshPersonaTags();
}

void OrvClientService::OnSessionLogoff(int32_t sessionId, UserProcessAgent& userProcess) {
    ORV::g_log.d(L"%s: User Logged off. SessionId=%d", kScope, sessionId);
    // A logoff handled after a newer logon of another session must not clear that one.
    if (ORV::ProcessWrap::GetActiveUserSessionId() == sessionId) {
        ORV::ProcessWrap::SetActiveUserSessionId(kNoActiveSession);
    }
    if (userProcess.IsDatasetEnable()) {
        userProcess.StopUserProcess(0);
    }
    if (_fullyInitialized && _extensionModule) {
        ORV::g_log.d(L"%s: suspending User Plugin on user logoff.", kScope);
        ORV::PluginManager::GetInstance()->UpdateUserSession(true, static_cast<DWORD>(sessionId),
                                                             true);
    }
}

void OrvClientService::OnSessionUnlock(int32_t sessionId, UserProcessAgent& userProcess) {
    ORV::g_log.d(L"%s: User Unlocked. SessioId=%d", kScope, sessionId);
    ORV::ProcessWrap::SetActiveUserSessionId(sessionId);
    DeviceManagerAgent::GetInstance()->OnDeviceUnlock();
    const bool fullyInitialized = _fullyInitialized;
    if (fullyInitialized && _mdmAgent) {
        MDMAgent::GetInstance()->Reinit();
    }
    RestartUserProcessIfNeeded(userProcess);
    if (fullyInitialized && _extensionModule) {
        ORV::PluginManager::GetInstance()->UpdateUserSession(
            true, ORV::ProcessWrap::GetCurrentSessionId(), false);
        ORV::PluginManager::GetInstance()->Start(true);
    }
    RefreshPersonaTags();
}

void OrvClientService::RestartUserProcessIfNeeded(UserProcessAgent& userProcess) {
    if (!userProcess.IsDatasetEnable()) {
        return;
    }
    if (userProcess.CheckUserProcessSessionIdChange() == kSessionIdChanged) {
        ORV::g_log.d(L"%s: stop %s and re-start it.", kScope, kUserAgentProcess);
        userProcess.StopUserProcess(0);
    }
    userProcess.StartUserProcess(_hStopEvent, 0);
}

void OrvClientService::RefreshPersonaTags() {
    if (!_serviceStarted) {
        return;
    }
    const std::shared_ptr<ApplicabilityEvaluator> evaluator = WithHelperFactory(
        [](orv::ORVHelperFactory& factory) { return factory.GetApplicablilityEvaluatorAgent(); });
    if (evaluator) {
        evaluator->RefreshPersonaTagMonitoring();
    }
}
