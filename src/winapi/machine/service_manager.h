#pragma once
// The service control manager: the database of installed services, manager and service
// handles, configuration changes written to each service's registry key as Windows
// does, and the record of status reports. Calls set the thread's last error as advapi32
// does. Thread-safe.

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/annotated_mutex.h"
#include "winapi/machine/clock.h"
#include "winapi/machine/registry_store.h"
#include "winapi/machine/service_records.h"
#include "winapi/win32/services.h"

namespace winsim::detail {

class ServiceManager {
  public:
    ServiceManager(Registry& registry, Clock& clock);

    SC_HANDLE OpenManager(const wchar_t* machine, const wchar_t* database, DWORD access)
        EXCLUDES(mu_);
    SC_HANDLE OpenService(SC_HANDLE manager, const wchar_t* name, DWORD access) EXCLUDES(mu_);
    bool CloseHandle(SC_HANDLE handle) EXCLUDES(mu_);
    bool ChangeConfig(SC_HANDLE service, DWORD type, DWORD start, DWORD error_control,
                      const wchar_t* binary_path, const wchar_t* group, DWORD* tag,
                      const wchar_t* dependencies, const wchar_t* start_name,
                      const wchar_t* display_name) EXCLUDES(mu_);
    bool ChangeConfig2(SC_HANDLE service, DWORD level, const void* info) EXCLUDES(mu_);
    bool QueryConfig(SC_HANDLE service, QUERY_SERVICE_CONFIGW* config, DWORD size, DWORD* needed)
        EXCLUDES(mu_);
    bool QueryConfig2(SC_HANDLE service, DWORD level, BYTE* buffer, DWORD size, DWORD* needed)
        EXCLUDES(mu_);
    bool QueryStatus(SC_HANDLE service, SERVICE_STATUS* status) EXCLUDES(mu_);
    bool SetStatus(SERVICE_STATUS_HANDLE handle, const SERVICE_STATUS* status) EXCLUDES(mu_);

    // Control API.
    void Install(std::wstring_view name, const services::ServiceConfig& config) EXCLUDES(mu_);
    bool Remove(std::wstring_view name) EXCLUDES(mu_);
    std::optional<services::ServiceConfig> Get(std::wstring_view name) EXCLUDES(mu_);
    SERVICE_STATUS_HANDLE StatusHandle(std::wstring_view name) EXCLUDES(mu_);
    std::vector<services::StatusReport> Reports() EXCLUDES(mu_);
    void ClearReports() EXCLUDES(mu_);
    bool WaitForReports(std::size_t count, std::chrono::milliseconds real_timeout) EXCLUDES(mu_);

    void Reset() EXCLUDES(mu_);

  private:
    struct Service {
        std::wstring name;
        SERVICE_STATUS status{};
        bool removed = false;
        uintptr_t status_handle = 0;
    };
    using ServicePtr = std::shared_ptr<Service>;
    struct ScHandle {
        ServicePtr service;  // null for a manager handle
        DWORD access = 0;
    };

    // The service behind a service handle with `access`, or null with the last error set.
    ServicePtr ServiceFor(SC_HANDLE handle, DWORD access) REQUIRES(mu_);
    DWORD ReadDword(const Service& service, std::wstring_view value, DWORD fallback) const;
    // A string value of the service's key without its terminators; empty when missing.
    std::wstring ReadText(const Service& service, std::wstring_view value) const;
    void WriteDword(const Service& service, std::wstring_view value, DWORD data);
    void WriteString(const Service& service, std::wstring_view value, DWORD type,
                     std::wstring_view text);

    Registry& registry_;
    Clock& clock_;
    tsa::Mutex mu_;
    tsa::CondVar reports_cv_;
    std::map<std::wstring, ServicePtr> services_ GUARDED_BY(mu_);  // by folded name
    std::unordered_map<uintptr_t, ScHandle> handles_ GUARDED_BY(mu_);
    std::unordered_map<uintptr_t, ServicePtr> status_handles_ GUARDED_BY(mu_);
    std::vector<services::StatusReport> reports_ GUARDED_BY(mu_);
};

// "SYSTEM\CurrentControlSet\Services\<name>"
std::wstring ServiceKeyPath(std::wstring_view name);

}  // namespace winsim::detail
