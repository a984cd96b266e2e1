// The service's own startup type: plain automatic, or automatic with delayed start when
// ARM64, or when policy, manufacturer and storage all ask for it.

#include <exception>

#include "platform/agents/config_policy_agent.h"
#include "platform/common_base/log.h"
#include "platform/common_base/reg_util.h"
#include "platform/common_base/smbios_information_retriever.h"
#include "platform/common_base/string_utils.h"
#include "platform/storage_collector/hard_disk_info_collector.h"
#include "service/orv_client_service.h"
#include "winapi/scoped_handles.h"

namespace {
constexpr const wchar_t* kWatcherScope = L"OrvClientService::CheckAndUpdateORVStartUpType";
constexpr const wchar_t* kChangeScope = L"OrvClientService::ChangeORVStartUpType";
constexpr const wchar_t* kServiceName = L"ORVService";
constexpr const wchar_t* kServiceKey = L"SYSTEM\\CurrentControlSet\\Services\\OrvService";
constexpr const wchar_t* kDelayedAutostartValue = L"DelayedAutostart";
constexpr const wchar_t* kStartValue = L"Start";
constexpr const wchar_t* kDelayedStartManufacturer = L"Quelro";
// After a failed wait the watcher waits this long on the stop event alone, so it neither
// spins nor misses the stop.
constexpr DWORD kRetryAfterFailedWaitMs = 1000;
}  // namespace

void OrvClientService::CheckAndUpdateORVStartUpType() {
    for (;;) {
        const HANDLE handles[] = {_hStopEvent, _hStartupTypeChangeEvent.load()};
        const DWORD result = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
        if (result == WAIT_OBJECT_0) {
            ORV::g_log.d(L"%s Stop signalled", kWatcherScope);
            return;
        }
        if (result == WAIT_OBJECT_0 + 1) {
            ORV::g_log.d(L"%s Received orv policy change event", kWatcherScope);
            EvaluateStartUpType();
        } else if (result == WAIT_FAILED) {
            const DWORD stopWait = WaitForSingleObject(_hStopEvent, kRetryAfterFailedWaitMs);
            if (stopWait == WAIT_OBJECT_0) {
                ORV::g_log.d(L"%s Stop signalled", kWatcherScope);
                return;
            }
            if (stopWait == WAIT_FAILED) {
                // Without a usable stop event no stop can ever reach this thread, and the
                // cleanup would wait for it forever while it spins.
                ORV::g_log.e(L"%s: waits failed (error %lu), watcher ends", kWatcherScope,
                             GetLastError());
                return;
            }
        }
    }
}

void OrvClientService::EvaluateStartUpType() {
    // A failing sibling must not end the process through this thread; the next trigger
    // evaluates again from the start.
    try {
        ChangeORVStartUpType(IsDelayedStartWanted());
    } catch (const std::exception& error) {
        ORV::g_log.e(L"%s: evaluation failed, %s", kWatcherScope,
                     ORV::String::UTF8ToUTF16(error.what()));
    } catch (...) {
        ORV::g_log.e(L"%s: evaluation failed", kWatcherScope);
    }
}

bool OrvClientService::IsDelayedStartWanted() {
    // Without a configuration policy agent nothing allows delayed start.
    ConfigPolicyAgent* const policy = ConfigPolicyAgent::GetInstance();
    return policy != nullptr && policy->ValidateConfigForDelayStart() &&
           ORV::String::CaseInsesitiveEqual(
               SMBiosInformationRetriever::GetInstance()->GetManufacturer(),
               kDelayedStartManufacturer) &&
           StorageCollector::HardDiskInfoCollector::IsDriveTypeHDD();
}

void OrvClientService::ChangeORVStartUpType(bool delayedStart) {
    const orvwin::ScopedServiceHandle manager(
        OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager) {
        return;
    }
    const orvwin::ScopedServiceHandle service(
        OpenServiceW(manager.get(), kServiceName, SERVICE_ALL_ACCESS));
    if (!service) {
        return;
    }

    DWORD delayedAutostart = 0;
    if (ORV::CRegUtil::GetRegValueOfDwordType(HKEY_LOCAL_MACHINE, kServiceKey,
                                              kDelayedAutostartValue, delayedAutostart) != 0) {
        if (delayedAutostart == (delayedStart ? 1U : 0U)) {
            ORV::g_log.d(
                L"%s: ORV Startup Type already has Automatic Delay-Start settings requested",
                kChangeScope);
        } else {
            SERVICE_DELAYED_AUTO_START_INFO info{};
            info.fDelayedAutostart = delayedStart ? TRUE : FALSE;
            if (ChangeServiceConfig2W(service.get(), SERVICE_CONFIG_DELAYED_AUTO_START_INFO,
                                      &info)) {
                ORV::g_log.d(L"%s: ORV Startup Type changed to Automatic Delay-Start",
                             kChangeScope);
            }
        }
    }

    if (delayedStart) {
        return;
    }
    DWORD startType = 0;
    if (ORV::CRegUtil::GetRegValueOfDwordType(HKEY_LOCAL_MACHINE, kServiceKey, kStartValue,
                                              startType) == 0) {
        return;
    }
    if (startType == SERVICE_AUTO_START) {
        ORV::g_log.d(L"%s: ORV Startup Type already Automatic", kChangeScope);
    } else if (ChangeServiceConfigW(service.get(), SERVICE_NO_CHANGE, SERVICE_AUTO_START,
                                    SERVICE_NO_CHANGE, nullptr, nullptr, nullptr, nullptr, nullptr,
                                    nullptr, nullptr)) {
        ORV::g_log.d(L"%s: ORV Startup Type changed to Automatic", kChangeScope);
    }
}
