#include "winapi/machine/service_manager.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "winapi/machine/handle_values.h"
#include "winapi/machine/thread_identity.h"
#include "winapi/win32/errors.h"

namespace winsim::detail {

namespace {

// Information levels that Windows defines for ChangeServiceConfig2W and QueryServiceConfig2W
// (1 to 14); the simulation keeps only some of them.
bool IsDefinedConfigLevel(DWORD level) {
    return level >= 1 && level <= 14;
}

std::vector<BYTE> DwordBytes(DWORD value) {
    std::vector<BYTE> bytes(sizeof(DWORD));
    std::memcpy(bytes.data(), &value, sizeof(DWORD));
    return bytes;
}

std::vector<BYTE> StringBytes(std::wstring_view text) {
    std::vector<BYTE> bytes((text.size() + 1) * sizeof(wchar_t), 0);
    std::memcpy(bytes.data(), text.data(), text.size() * sizeof(wchar_t));
    return bytes;
}

// The bytes of a double-NUL-terminated list of strings, as REG_MULTI_SZ stores it.
std::vector<BYTE> MultiStringBytes(const wchar_t* list) {
    const wchar_t* end = list;
    while (*end != L'\0') {
        end += std::wcslen(end) + 1;
    }
    return StringBytes(std::wstring_view(list, static_cast<std::size_t>(end - list)));
}

std::wstring TextOf(const RegValue& value) {
    std::wstring text(value.data.size() / sizeof(wchar_t), L'\0');
    std::memcpy(text.data(), value.data.data(), text.size() * sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') {
        text.pop_back();
    }
    return text;
}

std::optional<DWORD> DwordOf(const std::optional<RegValue>& value) {
    if (!value || value->type != REG_DWORD || value->data.size() != sizeof(DWORD)) {
        return std::nullopt;
    }
    DWORD data = 0;
    std::memcpy(&data, value->data.data(), sizeof(DWORD));
    return data;
}

bool IsDriver(DWORD type) {
    return type == SERVICE_KERNEL_DRIVER || type == SERVICE_FILE_SYSTEM_DRIVER;
}

bool ValidServiceType(DWORD type) {
    const DWORD base = type & ~SERVICE_INTERACTIVE_PROCESS;
    return IsDriver(type) || base == SERVICE_WIN32_OWN_PROCESS ||
           base == SERVICE_WIN32_SHARE_PROCESS;
}

bool SameNameNoCase(std::wstring_view a, std::wstring_view b) {
    return FoldName(a) == FoldName(b);
}

// Generic rights stand for these service rights, as the service control manager maps them.
DWORD MapGenericServiceRights(DWORD access) {
    if ((access & GENERIC_READ) != 0) {
        access |= STANDARD_RIGHTS_READ | SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS |
                  SERVICE_INTERROGATE | SERVICE_ENUMERATE_DEPENDENTS;
    }
    if ((access & GENERIC_WRITE) != 0) {
        access |= STANDARD_RIGHTS_WRITE | SERVICE_CHANGE_CONFIG;
    }
    if ((access & GENERIC_EXECUTE) != 0) {
        access |= STANDARD_RIGHTS_EXECUTE | SERVICE_START | SERVICE_STOP | SERVICE_PAUSE_CONTINUE |
                  SERVICE_USER_DEFINED_CONTROL;
    }
    if ((access & GENERIC_ALL) != 0) {
        access |= SERVICE_ALL_ACCESS;
    }
    return access & ~(GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE | GENERIC_ALL);
}

// Bytes that `text` takes in a query result with `terminators` NULs after it.
DWORD StringSize(std::wstring_view text, std::size_t terminators = 1) {
    return static_cast<DWORD>((text.size() + terminators) * sizeof(wchar_t));
}

// Lays strings out one after the other behind a query's result structure, as the service
// control manager returns them in the caller's buffer.
class StringArea {
  public:
    explicit StringArea(BYTE* start) : next_(reinterpret_cast<wchar_t*>(start)) {}

    wchar_t* Put(std::wstring_view text, std::size_t terminators = 1) {
        wchar_t* const at = next_;
        std::copy(text.begin(), text.end(), at);
        std::fill_n(at + text.size(), terminators, L'\0');
        next_ += text.size() + terminators;
        return at;
    }

  private:
    wchar_t* next_;
};

}  // namespace

std::wstring ServiceKeyPath(std::wstring_view name) {
    return L"SYSTEM\\CurrentControlSet\\Services\\" + std::wstring(name);
}

ServiceManager::ServiceManager(Registry& registry, Clock& clock)
    : registry_(registry), clock_(clock) {}

DWORD ServiceManager::ReadDword(const Service& service, std::wstring_view value,
                                DWORD fallback) const {
    return DwordOf(registry_.Get(HKEY_LOCAL_MACHINE, ServiceKeyPath(service.name), value))
        .value_or(fallback);
}

std::wstring ServiceManager::ReadText(const Service& service, std::wstring_view value) const {
    const auto data = registry_.Get(HKEY_LOCAL_MACHINE, ServiceKeyPath(service.name), value);
    return data ? TextOf(*data) : std::wstring();
}

void ServiceManager::WriteDword(const Service& service, std::wstring_view value, DWORD data) {
    registry_.Set(HKEY_LOCAL_MACHINE, ServiceKeyPath(service.name), value, REG_DWORD,
                  DwordBytes(data));
}

void ServiceManager::WriteString(const Service& service, std::wstring_view value, DWORD type,
                                 std::wstring_view text) {
    registry_.Set(HKEY_LOCAL_MACHINE, ServiceKeyPath(service.name), value, type, StringBytes(text));
}

SC_HANDLE ServiceManager::OpenManager(const wchar_t* machine, const wchar_t* database,
                                      DWORD access) {
    if (machine != nullptr && *machine != L'\0') {
        SetLastErrorCode(ERROR_INVALID_NAME);  // only the local machine exists here
        return nullptr;
    }
    if (database != nullptr && !SameNameNoCase(database, SERVICES_ACTIVE_DATABASEW)) {
        SetLastErrorCode(SameNameNoCase(database, SERVICES_FAILED_DATABASEW)
                             ? ERROR_DATABASE_DOES_NOT_EXIST
                             : ERROR_INVALID_NAME);
        return nullptr;
    }
    tsa::MutexLock lock(mu_);
    const uintptr_t value = NextHandleValue();
    handles_.emplace(value, ScHandle{nullptr, access});
    SetLastErrorCode(ERROR_SUCCESS);
    return ToHandle<SC_HANDLE>(value);
}

SC_HANDLE ServiceManager::OpenService(SC_HANDLE manager, const wchar_t* name, DWORD access) {
    tsa::MutexLock lock(mu_);
    const auto it = handles_.find(FromHandle(manager));
    if (it == handles_.end() || it->second.service) {
        SetLastErrorCode(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (name == nullptr || *name == L'\0') {
        SetLastErrorCode(ERROR_INVALID_NAME);
        return nullptr;
    }
    const auto found = services_.find(FoldName(name));
    if (found == services_.end()) {
        SetLastErrorCode(ERROR_SERVICE_DOES_NOT_EXIST);
        return nullptr;
    }
    const uintptr_t value = NextHandleValue();
    handles_.emplace(value, ScHandle{found->second, MapGenericServiceRights(access)});
    SetLastErrorCode(ERROR_SUCCESS);
    return ToHandle<SC_HANDLE>(value);
}

bool ServiceManager::CloseHandle(SC_HANDLE handle) {
    tsa::MutexLock lock(mu_);
    if (handles_.erase(FromHandle(handle)) == 0) {
        SetLastErrorCode(ERROR_INVALID_HANDLE);
        return false;
    }
    return true;
}

ServiceManager::ServicePtr ServiceManager::ServiceFor(SC_HANDLE handle, DWORD access) {
    const auto it = handles_.find(FromHandle(handle));
    if (it == handles_.end() || !it->second.service) {
        SetLastErrorCode(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if ((it->second.access & access) != access) {
        SetLastErrorCode(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    if (it->second.service->removed) {
        SetLastErrorCode(ERROR_SERVICE_MARKED_FOR_DELETE);
        return nullptr;
    }
    return it->second.service;
}

bool ServiceManager::ChangeConfig(SC_HANDLE handle, DWORD type, DWORD start, DWORD error_control,
                                  const wchar_t* binary_path, const wchar_t* group, DWORD* tag,
                                  const wchar_t* dependencies, const wchar_t* start_name,
                                  const wchar_t* display_name) {
    tsa::MutexLock lock(mu_);
    const ServicePtr service = ServiceFor(handle, SERVICE_CHANGE_CONFIG);
    if (!service) {
        return false;
    }
    const DWORD new_type =
        type == SERVICE_NO_CHANGE ? ReadDword(*service, L"Type", SERVICE_WIN32_OWN_PROCESS) : type;
    const bool bad_type = type != SERVICE_NO_CHANGE && !ValidServiceType(type);
    const bool bad_start =
        start != SERVICE_NO_CHANGE &&
        (start > SERVICE_DISABLED || (start <= SERVICE_SYSTEM_START && !IsDriver(new_type)));
    const bool bad_error =
        error_control != SERVICE_NO_CHANGE && error_control > SERVICE_ERROR_CRITICAL;
    if (bad_type || bad_start || bad_error) {
        SetLastErrorCode(ERROR_INVALID_PARAMETER);
        return false;
    }
    if (type != SERVICE_NO_CHANGE) {
        WriteDword(*service, L"Type", type);
    }
    if (start != SERVICE_NO_CHANGE) {
        WriteDword(*service, L"Start", start);
    }
    if (error_control != SERVICE_NO_CHANGE) {
        WriteDword(*service, L"ErrorControl", error_control);
    }
    if (binary_path != nullptr) {
        WriteString(*service, L"ImagePath", REG_EXPAND_SZ, binary_path);
    }
    if (group != nullptr) {
        WriteString(*service, L"Group", REG_SZ, group);
    }
    if (dependencies != nullptr) {
        registry_.Set(HKEY_LOCAL_MACHINE, ServiceKeyPath(service->name), L"DependOnService",
                      REG_MULTI_SZ, MultiStringBytes(dependencies));
    }
    if (start_name != nullptr) {
        WriteString(*service, L"ObjectName", REG_SZ, start_name);
    }
    if (display_name != nullptr) {
        WriteString(*service, L"DisplayName", REG_SZ, display_name);
    }
    if (tag != nullptr) {
        *tag = 0;  // load-order tags belong to drivers
    }
    SetLastErrorCode(ERROR_SUCCESS);
    return true;
}

bool ServiceManager::ChangeConfig2(SC_HANDLE handle, DWORD level, const void* info) {
    tsa::MutexLock lock(mu_);
    const ServicePtr service = ServiceFor(handle, SERVICE_CHANGE_CONFIG);
    if (!service) {
        return false;
    }
    if (!IsDefinedConfigLevel(level)) {
        SetLastErrorCode(ERROR_INVALID_LEVEL);
        return false;
    }
    if (info == nullptr) {
        SetLastErrorCode(ERROR_SUCCESS);  // the information stays as it is
        return true;
    }
    switch (level) {
        case SERVICE_CONFIG_DESCRIPTION: {
            const wchar_t* text = static_cast<const SERVICE_DESCRIPTIONW*>(info)->lpDescription;
            if (text != nullptr && *text == L'\0') {
                registry_.RemoveValue(HKEY_LOCAL_MACHINE, ServiceKeyPath(service->name),
                                      L"Description");
            } else if (text != nullptr) {
                WriteString(*service, L"Description", REG_SZ, text);
            }
            break;
        }
        case SERVICE_CONFIG_DELAYED_AUTO_START_INFO:
            WriteDword(
                *service, L"DelayedAutostart",
                static_cast<const SERVICE_DELAYED_AUTO_START_INFO*>(info)->fDelayedAutostart !=
                        FALSE
                    ? 1
                    : 0);
            break;
        case SERVICE_CONFIG_PRESHUTDOWN_INFO:
            WriteDword(*service, L"PreshutdownTimeout",
                       static_cast<const SERVICE_PRESHUTDOWN_INFO*>(info)->dwPreshutdownTimeout);
            break;
        default:
            // A real level that this machine does not keep.
            SetLastErrorCode(ERROR_NOT_SUPPORTED);
            return false;
    }
    SetLastErrorCode(ERROR_SUCCESS);
    return true;
}

bool ServiceManager::QueryConfig(SC_HANDLE handle, QUERY_SERVICE_CONFIGW* config, DWORD size,
                                 DWORD* needed) {
    tsa::MutexLock lock(mu_);
    const ServicePtr service = ServiceFor(handle, SERVICE_QUERY_CONFIG);
    if (!service) {
        return false;
    }
    if (needed == nullptr) {
        SetLastErrorCode(ERROR_INVALID_ADDRESS);
        return false;
    }
    const std::wstring binary_path = ReadText(*service, L"ImagePath");
    const std::wstring group = ReadText(*service, L"Group");
    // The list keeps the NULs between its strings; it ends in two.
    const std::wstring dependencies = ReadText(*service, L"DependOnService");
    const std::wstring start_name = ReadText(*service, L"ObjectName");
    const std::wstring display_name = ReadText(*service, L"DisplayName");
    *needed = static_cast<DWORD>(sizeof(QUERY_SERVICE_CONFIGW)) + StringSize(binary_path) +
              StringSize(group) + StringSize(dependencies, 2) + StringSize(start_name) +
              StringSize(display_name);
    if (config == nullptr || size < *needed) {
        SetLastErrorCode(ERROR_INSUFFICIENT_BUFFER);
        return false;
    }
    config->dwServiceType = ReadDword(*service, L"Type", SERVICE_WIN32_OWN_PROCESS);
    config->dwStartType = ReadDword(*service, L"Start", SERVICE_DEMAND_START);
    config->dwErrorControl = ReadDword(*service, L"ErrorControl", SERVICE_ERROR_NORMAL);
    config->dwTagId = ReadDword(*service, L"Tag", 0);
    StringArea strings(reinterpret_cast<BYTE*>(config + 1));
    config->lpBinaryPathName = strings.Put(binary_path);
    config->lpLoadOrderGroup = strings.Put(group);
    config->lpDependencies = strings.Put(dependencies, 2);
    config->lpServiceStartName = strings.Put(start_name);
    config->lpDisplayName = strings.Put(display_name);
    SetLastErrorCode(ERROR_SUCCESS);
    return true;
}

bool ServiceManager::QueryConfig2(SC_HANDLE handle, DWORD level, BYTE* buffer, DWORD size,
                                  DWORD* needed) {
    tsa::MutexLock lock(mu_);
    const ServicePtr service = ServiceFor(handle, SERVICE_QUERY_CONFIG);
    if (!service) {
        return false;
    }
    if (!IsDefinedConfigLevel(level)) {
        SetLastErrorCode(ERROR_INVALID_LEVEL);
        return false;
    }
    if (needed == nullptr) {
        SetLastErrorCode(ERROR_INVALID_ADDRESS);
        return false;
    }
    switch (level) {
        case SERVICE_CONFIG_DESCRIPTION: {
            // Without a description the pointer is null rather than an empty string.
            const auto value =
                registry_.Get(HKEY_LOCAL_MACHINE, ServiceKeyPath(service->name), L"Description");
            const std::wstring text = value ? TextOf(*value) : std::wstring();
            *needed =
                static_cast<DWORD>(sizeof(SERVICE_DESCRIPTIONW)) + (value ? StringSize(text) : 0);
            if (buffer == nullptr || size < *needed) {
                SetLastErrorCode(ERROR_INSUFFICIENT_BUFFER);
                return false;
            }
            auto* description = reinterpret_cast<SERVICE_DESCRIPTIONW*>(buffer);
            description->lpDescription =
                value ? StringArea(reinterpret_cast<BYTE*>(description + 1)).Put(text) : nullptr;
            break;
        }
        case SERVICE_CONFIG_DELAYED_AUTO_START_INFO: {
            *needed = static_cast<DWORD>(sizeof(SERVICE_DELAYED_AUTO_START_INFO));
            if (buffer == nullptr || size < *needed) {
                SetLastErrorCode(ERROR_INSUFFICIENT_BUFFER);
                return false;
            }
            reinterpret_cast<SERVICE_DELAYED_AUTO_START_INFO*>(buffer)->fDelayedAutostart =
                ReadDword(*service, L"DelayedAutostart", 0) != 0 ? TRUE : FALSE;
            break;
        }
        default:
            // A real level that this machine does not keep.
            SetLastErrorCode(ERROR_NOT_SUPPORTED);
            return false;
    }
    SetLastErrorCode(ERROR_SUCCESS);
    return true;
}

bool ServiceManager::QueryStatus(SC_HANDLE handle, SERVICE_STATUS* status) {
    tsa::MutexLock lock(mu_);
    const ServicePtr service = ServiceFor(handle, SERVICE_QUERY_STATUS);
    if (!service) {
        return false;
    }
    if (status == nullptr) {
        SetLastErrorCode(ERROR_INVALID_ADDRESS);
        return false;
    }
    *status = service->status;
    return true;
}

bool ServiceManager::SetStatus(SERVICE_STATUS_HANDLE handle, const SERVICE_STATUS* status) {
    tsa::MutexLock lock(mu_);
    const auto it = status_handles_.find(FromHandle(handle));
    if (it == status_handles_.end()) {
        SetLastErrorCode(ERROR_INVALID_HANDLE);
        return false;
    }
    if (status == nullptr) {
        SetLastErrorCode(ERROR_INVALID_ADDRESS);
        return false;
    }
    if (status->dwCurrentState < SERVICE_STOPPED || status->dwCurrentState > SERVICE_PAUSED ||
        !ValidServiceType(status->dwServiceType)) {
        SetLastErrorCode(ERROR_INVALID_DATA);
        return false;
    }
    it->second->status = *status;
    reports_.push_back(services::StatusReport{
        it->second->name, *status, CurrentThreadId(),
        std::chrono::duration_cast<std::chrono::milliseconds>(clock_.Now())});
    reports_cv_.NotifyAll();
    return true;
}

void ServiceManager::Install(std::wstring_view name, const services::ServiceConfig& config) {
    if (name.empty() || name.find_first_of(L"\\/") != std::wstring_view::npos) {
        throw std::invalid_argument("invalid service name");
    }
    if (!ValidServiceType(config.serviceType) || config.startType > SERVICE_DISABLED ||
        config.errorControl > SERVICE_ERROR_CRITICAL) {
        throw std::invalid_argument("invalid service configuration");
    }
    tsa::MutexLock lock(mu_);
    const std::wstring folded = FoldName(name);
    ServicePtr& service = services_[folded];
    if (!service) {
        service = std::make_shared<Service>();
        service->name = std::wstring(name);
        service->status.dwServiceType = config.serviceType;
        service->status.dwCurrentState = SERVICE_STOPPED;
    }
    registry_.RemoveKey(HKEY_LOCAL_MACHINE, ServiceKeyPath(service->name));
    WriteDword(*service, L"Type", config.serviceType);
    WriteDword(*service, L"Start", config.startType);
    WriteDword(*service, L"ErrorControl", config.errorControl);
    WriteString(*service, L"ImagePath", REG_EXPAND_SZ, config.imagePath);
    WriteString(*service, L"DisplayName", REG_SZ,
                config.displayName.empty() ? service->name : config.displayName);
    WriteString(*service, L"ObjectName", REG_SZ, L"LocalSystem");
    if (config.delayedAutoStart) {
        WriteDword(*service, L"DelayedAutostart", *config.delayedAutoStart ? 1 : 0);
    }
}

bool ServiceManager::Remove(std::wstring_view name) {
    tsa::MutexLock lock(mu_);
    const auto it = services_.find(FoldName(name));
    if (it == services_.end()) {
        return false;
    }
    it->second->removed = true;
    registry_.RemoveKey(HKEY_LOCAL_MACHINE, ServiceKeyPath(it->second->name));
    services_.erase(it);
    return true;
}

std::optional<services::ServiceConfig> ServiceManager::Get(std::wstring_view name) {
    tsa::MutexLock lock(mu_);
    const auto it = services_.find(FoldName(name));
    if (it == services_.end()) {
        return std::nullopt;
    }
    const Service& service = *it->second;
    const std::wstring path = ServiceKeyPath(service.name);
    services::ServiceConfig config;
    config.serviceType = ReadDword(service, L"Type", SERVICE_WIN32_OWN_PROCESS);
    config.startType = ReadDword(service, L"Start", SERVICE_DEMAND_START);
    config.errorControl = ReadDword(service, L"ErrorControl", SERVICE_ERROR_NORMAL);
    if (const auto delayed =
            DwordOf(registry_.Get(HKEY_LOCAL_MACHINE, path, L"DelayedAutostart"))) {
        config.delayedAutoStart = *delayed != 0;
    }
    if (const auto image = registry_.Get(HKEY_LOCAL_MACHINE, path, L"ImagePath")) {
        config.imagePath = TextOf(*image);
    }
    if (const auto display = registry_.Get(HKEY_LOCAL_MACHINE, path, L"DisplayName")) {
        config.displayName = TextOf(*display);
    }
    return config;
}

SERVICE_STATUS_HANDLE ServiceManager::StatusHandle(std::wstring_view name) {
    tsa::MutexLock lock(mu_);
    const auto it = services_.find(FoldName(name));
    if (it == services_.end()) {
        throw std::invalid_argument("service not installed");
    }
    Service& service = *it->second;
    if (service.status_handle == 0) {
        service.status_handle = NextHandleValue();
        status_handles_.emplace(service.status_handle, it->second);
    }
    return ToHandle<SERVICE_STATUS_HANDLE>(service.status_handle);
}

std::vector<services::StatusReport> ServiceManager::Reports() {
    tsa::MutexLock lock(mu_);
    return reports_;
}

void ServiceManager::ClearReports() {
    tsa::MutexLock lock(mu_);
    reports_.clear();
}

bool ServiceManager::WaitForReports(std::size_t count, std::chrono::milliseconds real_timeout) {
    const auto deadline = std::chrono::steady_clock::now() + real_timeout;
    tsa::MutexLock lock(mu_);
    while (reports_.size() < count) {
        if (!reports_cv_.WaitUntil(mu_, deadline) && reports_.size() < count) {
            return false;
        }
    }
    return true;
}

void ServiceManager::Reset() {
    tsa::MutexLock lock(mu_);
    services_.clear();
    handles_.clear();
    status_handles_.clear();
    reports_.clear();
}

}  // namespace winsim::detail
