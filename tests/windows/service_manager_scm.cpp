#include "service_manager_scm.h"

#include <chrono>
#include <thread>

#include "service_manager_status.h"

namespace scm_suite {
namespace {

constexpr auto kStopLimit = std::chrono::seconds(60);
constexpr auto kGoneLimit = std::chrono::seconds(15);

// Waits until the manager no longer knows the service (deletion waits for the last handle).
bool WaitUntilGone(SC_HANDLE manager) {
    const auto deadline = std::chrono::steady_clock::now() + kGoneLimit;
    for (;;) {
        ServiceHandle service(OpenServiceW(manager, kServiceName, SERVICE_QUERY_STATUS));
        if (!service && GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

std::string Stop(SC_HANDLE service, DWORD state) {
    std::string done = "stopped it (was " + StateName(state) + ")";
    const auto begin = std::chrono::steady_clock::now();
    if (state == SERVICE_START_PENDING) {
        // A pending start takes no stop yet.
        PollUntil(service, SERVICE_RUNNING, begin, kStopLimit);
    }
    SERVICE_STATUS ignored{};
    ControlService(service, SERVICE_CONTROL_STOP, &ignored);
    StateTrace trace =
        PollUntil(service, SERVICE_STOPPED, std::chrono::steady_clock::now(), kStopLimit);
    if (trace.reached) {
        return done;
    }
    KernelHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, trace.last.dwProcessId));
    if (process && TerminateProcess(process.get(), 1)) {
        done += ", ended its process " + std::to_string(trace.last.dwProcessId) +
                " that would not stop";
        PollUntil(service, SERVICE_STOPPED, std::chrono::steady_clock::now(), kStopLimit);
    }
    return done;
}

}  // namespace

ServiceHandle OpenManager() {
    return ServiceHandle(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
}

ServiceHandle OpenOrvService(DWORD access, DWORD* error) {
    ServiceHandle manager = OpenManager();
    if (!manager) {
        if (error != nullptr) {
            *error = GetLastError();
        }
        return {};
    }
    ServiceHandle service(OpenServiceW(manager.get(), kServiceName, access));
    if (!service && error != nullptr) {
        *error = GetLastError();
    }
    return service;
}

std::string RemoveService() {
    ServiceHandle manager = OpenManager();
    if (!manager) {
        return "OpenSCManagerW failed with error " + std::to_string(GetLastError());
    }
    ServiceHandle service(OpenServiceW(manager.get(), kServiceName, SERVICE_ALL_ACCESS));
    if (!service) {
        return GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST || WaitUntilGone(manager.get())
                   ? std::string()
                   : "the service stays marked for deletion";
    }
    std::string done;
    SERVICE_STATUS_PROCESS status{};
    DWORD needed = 0;
    if (QueryServiceStatusEx(service.get(), SC_STATUS_PROCESS_INFO,
                             reinterpret_cast<BYTE*>(&status), sizeof status, &needed) &&
        status.dwCurrentState != SERVICE_STOPPED) {
        done = Stop(service.get(), status.dwCurrentState) + ", ";
    }
    if (DeleteService(service.get())) {
        done += "deleted it";
    } else {
        done += "DeleteService failed with error " + std::to_string(GetLastError());
    }
    service.reset();
    if (!WaitUntilGone(manager.get())) {
        done += ", but it is still there";
    }
    return done;
}

std::optional<ServiceConfig> QueryConfig(SC_HANDLE service, DWORD& error) {
    DWORD needed = 0;
    error = ERROR_SUCCESS;
    if (!QueryServiceConfigW(service, nullptr, 0, &needed) &&
        GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
        error = GetLastError();
        return std::nullopt;
    }
    std::vector<std::uint8_t> buffer(needed);
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
    if (!QueryServiceConfigW(service, config, needed, &needed)) {
        error = GetLastError();
        return std::nullopt;
    }
    return ServiceConfig{config->dwServiceType, config->dwStartType,
                         config->lpBinaryPathName != nullptr ? config->lpBinaryPathName : L""};
}

std::vector<std::uint8_t> QueryConfig2(SC_HANDLE service, DWORD level, DWORD& error) {
    DWORD needed = 0;
    error = ERROR_SUCCESS;
    if (!QueryServiceConfig2W(service, level, nullptr, 0, &needed) &&
        GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
        error = GetLastError();
        return {};
    }
    std::vector<std::uint8_t> buffer(needed);
    if (!QueryServiceConfig2W(service, level, buffer.data(), needed, &needed)) {
        error = GetLastError();
        return {};
    }
    return buffer;
}

std::optional<DWORD> ServiceRegistryDword(const wchar_t* name) {
    const std::wstring key = std::wstring(L"SYSTEM\\CurrentControlSet\\Services\\") + kServiceName;
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value,
                     &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return value;
}

std::wstring Unquoted(const std::wstring& path) {
    if (path.size() >= 2 && path.front() == L'"' && path.back() == L'"') {
        return path.substr(1, path.size() - 2);
    }
    return path;
}

}  // namespace scm_suite
