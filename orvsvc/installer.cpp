#include "orvsvc/installer.h"

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "orvsvc/console_output.h"
#include "orvsvc/executable_path.h"
#include "orvsvc/exit_codes.h"
#include "orvsvc/service_config.h"
#include "orvsvc/win32_error.h"
#include "winapi/scoped_handles.h"

namespace orvsvc {

namespace {

constexpr std::chrono::seconds kStopTimeout{60};
constexpr std::chrono::milliseconds kStopPoll{500};

const std::wstring kName = kServiceName;

int Fail(std::wstring_view call, DWORD error) {
    switch (error) {
        case ERROR_ACCESS_DENIED:
            PrintErrorLine(L"orvsvc: access denied; run this as an administrator (" +
                           DescribeFailure(call, error) + L")");
            break;
        case ERROR_SERVICE_EXISTS:
            PrintErrorLine(L"orvsvc: " + kName +
                           L" is already installed; run 'orvsvc uninstall' first");
            break;
        case ERROR_SERVICE_DOES_NOT_EXIST:
            PrintErrorLine(L"orvsvc: " + kName + L" is not installed");
            break;
        case ERROR_SERVICE_MARKED_FOR_DELETE:
            PrintErrorLine(L"orvsvc: " + kName +
                           L" is marked for deletion already; Windows removes it once it has "
                           L"stopped");
            break;
        default:
            PrintErrorLine(L"orvsvc: " + DescribeFailure(call, error));
            break;
    }
    return kExitFailed;
}

// The secondary settings, each one ChangeServiceConfig2W call; returns the names of those that
// failed, after printing why.
std::vector<std::wstring> Configure(SC_HANDLE service) {
    std::vector<std::wstring> failed;
    const auto apply = [&](const wchar_t* level, DWORD infoLevel, void* info) {
        if (!ChangeServiceConfig2W(service, infoLevel, info)) {
            const std::wstring call = std::wstring(L"ChangeServiceConfig2W(") + level + L")";
            PrintErrorLine(L"orvsvc: " + DescribeFailure(call, GetLastError()));
            failed.emplace_back(level);
        }
    };

    std::wstring description = kDescription;
    SERVICE_DESCRIPTIONW descriptionInfo{description.data()};
    apply(L"SERVICE_CONFIG_DESCRIPTION", SERVICE_CONFIG_DESCRIPTION, &descriptionInfo);

    SERVICE_PRESHUTDOWN_INFO preShutdownInfo{kPreShutdownTimeoutMs};
    apply(L"SERVICE_CONFIG_PRESHUTDOWN_INFO", SERVICE_CONFIG_PRESHUTDOWN_INFO, &preShutdownInfo);

    auto actions = kFailureActions;
    SERVICE_FAILURE_ACTIONSW failureActions{};
    failureActions.dwResetPeriod = kFailureResetPeriodSeconds;
    failureActions.cActions = static_cast<DWORD>(actions.size());
    failureActions.lpsaActions = actions.data();
    apply(L"SERVICE_CONFIG_FAILURE_ACTIONS", SERVICE_CONFIG_FAILURE_ACTIONS, &failureActions);

    // The host reports STOPPED with an error when the library throws: restart then too, not
    // only when the process dies.
    SERVICE_FAILURE_ACTIONS_FLAG onErrorStops{TRUE};
    apply(L"SERVICE_CONFIG_FAILURE_ACTIONS_FLAG", SERVICE_CONFIG_FAILURE_ACTIONS_FLAG,
          &onErrorStops);
    return failed;
}

std::wstring JoinNames(const std::vector<std::wstring>& names) {
    std::wstring joined;
    for (const std::wstring& name : names) {
        joined += (joined.empty() ? L"" : L", ") + name;
    }
    return joined;
}

bool QueryState(SC_HANDLE service, DWORD& state) {
    SERVICE_STATUS_PROCESS status{};
    DWORD needed = 0;
    // QueryServiceStatusEx fills a byte buffer, which SERVICE_STATUS_PROCESS is laid out as.
    if (!QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<LPBYTE>(&status),
                              sizeof(status), &needed)) {
        return false;
    }
    state = status.dwCurrentState;
    return true;
}

// True once the service is stopped; false when it could not be stopped in time (printed).
bool StopAndWait(SC_HANDLE service) {
    DWORD state = SERVICE_STOPPED;
    if (!QueryState(service, state)) {
        PrintErrorLine(L"orvsvc: " + DescribeFailure(L"QueryServiceStatusEx", GetLastError()));
        return false;
    }
    if (state == SERVICE_STOPPED) {
        return true;
    }
    PrintLine(L"Stopping " + kName + L"...");
    SERVICE_STATUS status{};
    if (state != SERVICE_STOP_PENDING && !ControlService(service, SERVICE_CONTROL_STOP, &status)) {
        PrintErrorLine(L"orvsvc: " +
                       DescribeFailure(L"ControlService(SERVICE_CONTROL_STOP)", GetLastError()));
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + kStopTimeout;
    while (QueryState(service, state) && state != SERVICE_STOPPED) {
        if (std::chrono::steady_clock::now() >= deadline) {
            PrintErrorLine(L"orvsvc: " + kName + L" did not stop within a minute");
            return false;
        }
        std::this_thread::sleep_for(kStopPoll);
    }
    return state == SERVICE_STOPPED;
}

}  // namespace

int InstallService() {
    const std::filesystem::path executable = ExecutablePath();
    if (executable.empty()) {
        return Fail(L"GetModuleFileNameW", GetLastError());
    }
    const orvwin::ScopedServiceHandle manager(
        OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT | SC_MANAGER_CREATE_SERVICE));
    if (!manager) {
        return Fail(L"OpenSCManagerW", GetLastError());
    }
    // Quoted, so that a path with blanks is not split at the first one.
    const std::wstring command = L"\"" + executable.wstring() + L"\"";
    // SERVICE_START: the manager requires it to accept restart failure actions.
    const orvwin::ScopedServiceHandle service(CreateServiceW(
        manager.get(), kServiceName, kDisplayName, SERVICE_CHANGE_CONFIG | SERVICE_START,
        SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL, command.c_str(),
        nullptr, nullptr, nullptr, nullptr /* LocalSystem */, nullptr));
    if (!service) {
        return Fail(L"CreateServiceW", GetLastError());
    }
    const std::vector<std::wstring> failed = Configure(service.get());
    if (!failed.empty()) {
        PrintErrorLine(L"orvsvc: " + kName + L" is installed, without: " + JoinNames(failed));
        return kExitPartial;
    }
    PrintLine(L"Installed " + kName + L" (automatic start): " + command);
    return kExitOk;
}

int UninstallService() {
    const orvwin::ScopedServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager) {
        return Fail(L"OpenSCManagerW", GetLastError());
    }
    const orvwin::ScopedServiceHandle service(
        OpenServiceW(manager.get(), kServiceName, SERVICE_STOP | SERVICE_QUERY_STATUS | DELETE));
    if (!service) {
        return Fail(L"OpenServiceW", GetLastError());
    }
    const bool stopped = StopAndWait(service.get());
    if (!DeleteService(service.get())) {
        return Fail(L"DeleteService", GetLastError());
    }
    if (!stopped) {
        PrintErrorLine(L"orvsvc: " + kName +
                       L" is marked for deletion; Windows removes it once it has stopped");
        return kExitPartial;
    }
    PrintLine(L"Uninstalled " + kName);
    return kExitOk;
}

}  // namespace orvsvc
