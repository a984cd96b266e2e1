#include "sim/client/shared_native/registry_reader.h"

#include <vector>

namespace orvsim::client {

std::wstring ReadRegistryString(const wchar_t* subKey, const wchar_t* valueName) {
    DWORD bytes = 0;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, subKey, valueName, RRF_RT_REG_SZ, nullptr, nullptr,
                     &bytes) != ERROR_SUCCESS ||
        bytes == 0) {
        return {};
    }
    std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (RegGetValueW(HKEY_LOCAL_MACHINE, subKey, valueName, RRF_RT_REG_SZ, nullptr, buffer.data(),
                     &bytes) != ERROR_SUCCESS) {
        return {};  // changed between the two reads; the next refresh sees it
    }
    return std::wstring(buffer.data());
}

std::optional<DWORD> ReadRegistryDword(const wchar_t* subKey, const wchar_t* valueName) {
    DWORD value = 0;
    DWORD bytes = sizeof(value);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, subKey, valueName, RRF_RT_REG_DWORD, nullptr, &value,
                     &bytes) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return value;
}

}  // namespace orvsim::client
