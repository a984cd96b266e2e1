#include "orvsvc/service_main.h"

#include <atomic>
#include <string>

#include "orvsvc/console_output.h"
#include "orvsvc/executable_path.h"
#include "orvsvc/exit_codes.h"
#include "orvsvc/one_shot_event.h"
#include "orvsvc/service_config.h"
#include "orvsvc/service_host.h"
#include "orvsvc/win32_error.h"
#include "service/entry_points.h"

namespace orvsvc {

namespace {

// What ServiceMain reaches: the dispatcher calls it without a context argument. Set by
// RunAsService before the dispatcher starts and valid until RunAsService returns.
struct Dispatch {
    ServiceHost* host = nullptr;              // not owned
    OneShotEvent* serviceMainDone = nullptr;  // not owned
    std::atomic<bool> serviceMainEntered{false};
};
Dispatch g_dispatch;

bool ReportToManager(SERVICE_STATUS_HANDLE handle, const SERVICE_STATUS& status) {
    SERVICE_STATUS copy = status;  // SetServiceStatus takes a non-const pointer
    return SetServiceStatus(handle, &copy) != FALSE;
}

LibraryEntryPoints LinkedLibrary() {
    return {&::OnStart, &::OnServiceControlHandle, &::OnStop};
}

void UseExecutableFolderAsCurrentDirectory() {
    const std::filesystem::path executable = ExecutablePath();
    if (executable.empty() || !SetCurrentDirectoryW(executable.parent_path().c_str())) {
        // Nowhere to print: the log then lands in System32, where it can still be found.
        OutputDebugStringW(
            (L"orvsvc: " + DescribeFailure(L"SetCurrentDirectoryW", GetLastError())).c_str());
    }
}

// On the main thread, inside the dispatcher. The context is the ServiceHost; it is passed on
// to the library unchanged with the other arguments.
DWORD WINAPI HandlerEx(DWORD control, DWORD eventType, LPVOID eventData, LPVOID context) {
    return static_cast<ServiceHost*>(context)->OnControl(control, eventType, eventData, context);
}

void RunHost() {
    const SERVICE_STATUS_HANDLE statusHandle =
        RegisterServiceCtrlHandlerExW(kServiceName, &HandlerEx, g_dispatch.host);
    if (statusHandle == nullptr) {
        // Without the handle no status can be reported; the manager gives the start up.
        OutputDebugStringW(
            (L"orvsvc: " + DescribeFailure(L"RegisterServiceCtrlHandlerExW", GetLastError()))
                .c_str());
        return;
    }
    UseExecutableFolderAsCurrentDirectory();
    g_dispatch.host->Run(statusHandle);
}

// On a thread of the dispatcher's.
void WINAPI ServiceMain(DWORD /*argc*/, LPWSTR* /*argv*/) {
    g_dispatch.serviceMainEntered = true;
    RunHost();
    // Last: RunAsService may destroy the host as soon as this is set.
    g_dispatch.serviceMainDone->Set();
}

int ReportDispatcherFailure(DWORD error) {
    if (error == ERROR_FAILED_SERVICE_CONTROLLER_CONNECT) {
        PrintErrorLine(L"orvsvc: not started by the service control manager (" +
                       DescribeFailure(L"StartServiceCtrlDispatcherW", error) + L")");
        PrintErrorLine(
            L"orvsvc: to run the service here use 'orvsvc console'; to register it, "
            L"'orvsvc install'");
    } else {
        PrintErrorLine(L"orvsvc: " + DescribeFailure(L"StartServiceCtrlDispatcherW", error));
    }
    return kExitFailed;
}

}  // namespace

int RunAsService() {
    ServiceHost host(LinkedLibrary(), &ReportToManager);
    OneShotEvent serviceMainDone;
    g_dispatch.host = &host;
    g_dispatch.serviceMainDone = &serviceMainDone;

    std::wstring name = kServiceName;  // the table takes a non-const string
    const SERVICE_TABLE_ENTRYW table[] = {{name.data(), &ServiceMain}, {nullptr, nullptr}};
    const BOOL connected = StartServiceCtrlDispatcherW(table);
    const DWORD error = GetLastError();
    if (g_dispatch.serviceMainEntered) {
        serviceMainDone.Wait();
    }
    g_dispatch.host = nullptr;
    g_dispatch.serviceMainDone = nullptr;
    return connected ? kExitOk : ReportDispatcherFailure(error);
}

}  // namespace orvsvc
