// Win32 registry calls over the machine's registry.

#include "winapi/win32/registry.h"

#include "winapi/machine/machine.h"
#include "winapi/win32/errors.h"

using winsim::detail::Call;
using winsim::detail::Machine;

namespace {

// `caller`: where the Win32 function was called from, for failures aimed at one module.
std::optional<LSTATUS> Injected(Call call, const void* caller) {
    return Machine::Get().failures.Check(call, caller);
}

}  // namespace

extern "C" {

LSTATUS WINAPI RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD ulOptions, REGSAM samDesired,
                             PHKEY phkResult) {
    if (const auto code = Injected(Call::RegOpenKey, __builtin_return_address(0))) {
        return *code;
    }
    constexpr DWORD kOpenLink = 0x00000008;  // REG_OPTION_OPEN_LINK
    if ((ulOptions & ~kOpenLink) != 0) {
        return ERROR_INVALID_PARAMETER;
    }
    return Machine::Get().registry.OpenKey(hKey, lpSubKey, samDesired, phkResult);
}

LSTATUS WINAPI RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD Reserved, LPWSTR /*lpClass*/,
                               DWORD /*dwOptions*/, REGSAM samDesired,
                               const LPSECURITY_ATTRIBUTES /*lpSecurityAttributes*/,
                               PHKEY phkResult, LPDWORD lpdwDisposition) {
    if (const auto code = Injected(Call::RegCreateKey, __builtin_return_address(0))) {
        return *code;
    }
    if (Reserved != 0) {
        return ERROR_INVALID_PARAMETER;
    }
    return Machine::Get().registry.CreateKey(hKey, lpSubKey, samDesired, phkResult,
                                             lpdwDisposition);
}

LSTATUS WINAPI RegCloseKey(HKEY hKey) {
    return Machine::Get().registry.CloseKey(hKey);
}

LSTATUS WINAPI RegGetValueW(HKEY hkey, LPCWSTR lpSubKey, LPCWSTR lpValue, DWORD dwFlags,
                            LPDWORD pdwType, PVOID pvData, LPDWORD pcbData) {
    if (const auto code = Injected(Call::RegGetValue, __builtin_return_address(0))) {
        return *code;
    }
    return Machine::Get().registry.GetValue(hkey, lpSubKey, lpValue, dwFlags, pdwType, pvData,
                                            pcbData);
}

LSTATUS WINAPI RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                                LPBYTE lpData, LPDWORD lpcbData) {
    if (const auto code = Injected(Call::RegQueryValue, __builtin_return_address(0))) {
        return *code;
    }
    if (lpReserved != nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    return Machine::Get().registry.QueryValue(hKey, lpValueName, lpType, lpData, lpcbData);
}

LSTATUS WINAPI RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD Reserved, DWORD dwType,
                              const BYTE* lpData, DWORD cbData) {
    if (const auto code = Injected(Call::RegSetValue, __builtin_return_address(0))) {
        return *code;
    }
    if (Reserved != 0) {
        return ERROR_INVALID_PARAMETER;
    }
    return Machine::Get().registry.SetValue(hKey, nullptr, lpValueName, dwType, lpData, cbData);
}

LSTATUS WINAPI RegSetKeyValueW(HKEY hKey, LPCWSTR lpSubKey, LPCWSTR lpValueName, DWORD dwType,
                               LPCVOID lpData, DWORD cbData) {
    if (const auto code = Injected(Call::RegSetValue, __builtin_return_address(0))) {
        return *code;
    }
    return Machine::Get().registry.SetValue(hKey, lpSubKey, lpValueName, dwType,
                                            static_cast<const BYTE*>(lpData), cbData);
}

LSTATUS WINAPI RegDeleteValueW(HKEY hKey, LPCWSTR lpValueName) {
    return Machine::Get().registry.DeleteValue(hKey, lpValueName);
}

LSTATUS WINAPI RegDeleteKeyW(HKEY hKey, LPCWSTR lpSubKey) {
    return Machine::Get().registry.DeleteKey(hKey, lpSubKey);
}

LSTATUS WINAPI RegDeleteKeyExW(HKEY hKey, LPCWSTR lpSubKey, REGSAM /*samDesired*/, DWORD Reserved) {
    if (Reserved != 0) {
        return ERROR_INVALID_PARAMETER;
    }
    return Machine::Get().registry.DeleteKey(hKey, lpSubKey);
}

LSTATUS WINAPI RegDeleteTreeW(HKEY hKey, LPCWSTR lpSubKey) {
    return Machine::Get().registry.DeleteTree(hKey, lpSubKey);
}

LSTATUS WINAPI RegEnumKeyExW(HKEY hKey, DWORD dwIndex, LPWSTR lpName, LPDWORD lpcchName,
                             LPDWORD lpReserved, LPWSTR lpClass, LPDWORD lpcchClass,
                             PFILETIME lpftLastWriteTime) {
    if (lpReserved != nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    const LSTATUS status = Machine::Get().registry.EnumKey(hKey, dwIndex, lpName, lpcchName);
    if (status == ERROR_SUCCESS) {
        // Keys carry no class; their last-write time is not kept.
        if (lpClass != nullptr && lpcchClass != nullptr && *lpcchClass > 0) {
            lpClass[0] = L'\0';
        }
        if (lpcchClass != nullptr) {
            *lpcchClass = 0;
        }
        if (lpftLastWriteTime != nullptr) {
            *lpftLastWriteTime = FILETIME{0, 0};
        }
    }
    return status;
}

LSTATUS WINAPI RegEnumValueW(HKEY hKey, DWORD dwIndex, LPWSTR lpValueName, LPDWORD lpcchValueName,
                             LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
    if (lpReserved != nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    return Machine::Get().registry.EnumValue(hKey, dwIndex, lpValueName, lpcchValueName, lpType,
                                             lpData, lpcbData);
}

LSTATUS WINAPI RegNotifyChangeKeyValue(HKEY hKey, BOOL bWatchSubtree, DWORD dwNotifyFilter,
                                       HANDLE hEvent, BOOL fAsynchronous) {
    if (const auto code = Injected(Call::RegNotifyChangeKeyValue, __builtin_return_address(0))) {
        return *code;
    }
    return Machine::Get().registry.NotifyChange(hKey, bWatchSubtree != FALSE, dwNotifyFilter,
                                                hEvent, fAsynchronous != FALSE);
}

}  // extern "C"
