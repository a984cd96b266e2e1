#include "service_manager_config.h"

#include "service_manager_scm.h"

namespace scm_suite {

namespace {

// Asks for the size, then fills a buffer of it; empty on failure (`error` says why).
template <typename Query>
std::vector<std::uint8_t> QueryBuffer(Query query, DWORD& error) {
    DWORD needed = 0;
    error = ERROR_SUCCESS;
    if (!query(nullptr, 0, &needed) && GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
        error = GetLastError();
        return {};
    }
    std::vector<std::uint8_t> buffer(needed);
    if (!query(buffer.data(), needed, &needed)) {
        error = GetLastError();
        return {};
    }
    return buffer;
}

}  // namespace

std::optional<ServiceConfig> QueryConfig(SC_HANDLE service, DWORD& error) {
    const auto buffer = QueryBuffer(
        [service](std::uint8_t* data, DWORD size, DWORD* needed) {
            return QueryServiceConfigW(service, reinterpret_cast<QUERY_SERVICE_CONFIGW*>(data),
                                       size, needed);
        },
        error);
    if (buffer.empty()) {
        return std::nullopt;
    }
    const auto* config = reinterpret_cast<const QUERY_SERVICE_CONFIGW*>(buffer.data());
    return ServiceConfig{config->dwServiceType, config->dwStartType,
                         config->lpBinaryPathName != nullptr ? config->lpBinaryPathName : L""};
}

std::vector<std::uint8_t> QueryConfig2(SC_HANDLE service, DWORD level, DWORD& error) {
    return QueryBuffer(
        [service, level](std::uint8_t* data, DWORD size, DWORD* needed) {
            return QueryServiceConfig2W(service, level, data, size, needed);
        },
        error);
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
