// Start-up waits until Windows setup has recorded a complete image state and the out-of-box
// experience has finished, giving up cleanly when a stop comes.

#include "platform/common_base/log.h"
#include "platform/common_base/reg_monitor.h"
#include "platform/common_base/reg_util.h"
#include "platform/common_base/utility.h"
#include "service/orv_client_service.h"

namespace {
constexpr const wchar_t* kWaitScope = L"OrvClientService::WaitOobeCompletion";
constexpr const wchar_t* kImageScope = L"OrvClientService::CheckImageState";
constexpr const wchar_t* kSetupStateKey =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Setup\\State";
constexpr const wchar_t* kImageStateValue = L"ImageState";
constexpr const wchar_t* kImageStateComplete = L"IMAGE_STATE_COMPLETE";
constexpr DWORD kSettleAfterChangeMs = 100;
constexpr DWORD kOobePollMs = 30000;
}  // namespace

void OrvClientService::IsImageStateComplete(bool& complete) {
    std::wstring imageState;
    if (ORV::CRegUtil::GetRegValueOfStringType(HKEY_LOCAL_MACHINE, kSetupStateKey, kImageStateValue,
                                               imageState) != 0 &&
        imageState == kImageStateComplete) {
        ORV::g_log.d(L"%s: Image State completed", L"OrvClientService::IsImageStateComplete");
        complete = true;
    }
}

bool OrvClientService::CheckImageState() {
    bool complete = false;
    if (_regMonitor->AddMonitorKey(HKEY_LOCAL_MACHINE, kSetupStateKey, kImageStateValue, 0) == -1) {
        ORV::g_log.d(L"%s: ImageState AddMonitor failed", kImageScope);
        return false;
    }
    ORV::g_log.d(L"%s: Waiting for Image State to be completed", kImageScope);
    DWORD changedIndex = 0;
    if (!_regMonitor->WaitForChange(changedIndex, 0)) {
        return false;
    }
    for (;;) {
        Sleep(kSettleAfterChangeMs);
        IsImageStateComplete(complete);
        if (complete) {
            return true;
        }
        if (WaitForSingleObject(_hStopEvent, 0) == WAIT_OBJECT_0) {
            StopProbeUnInit();
            return false;
        }
        if (!_regMonitor->WaitForChange(changedIndex, 0)) {
            return false;
        }
    }
}

bool OrvClientService::WaitOobeCompletion() {
    bool complete = false;
    IsImageStateComplete(complete);
    if (!complete && !CheckImageState()) {
        ORV::g_log.e(L"%s: Image state check failed.", kWaitScope);
        return false;
    }
    for (;;) {
        if (ORV::utility::IsOOBECompleted()) {
            ORV::g_log.d(L"%s: IsOOBECompleted indicates success.", kWaitScope);
            return true;
        }
        ORV::g_log.e(L"%s: IsOOBECompleted indicates failed", kWaitScope);
        if (WaitForSingleObject(_hStopEvent, 0) == WAIT_OBJECT_0) {
            StopProbeUnInit();
            ORV::g_log.d(L"%s: Service stop initiated. Exiting loop.", kWaitScope);
            return false;
        }
        Sleep(kOobePollMs);
    }
}
