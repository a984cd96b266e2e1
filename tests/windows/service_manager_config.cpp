#include "service_manager_config.h"

#include "service_manager_scm.h"

namespace scm_suite {

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
