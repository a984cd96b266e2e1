#pragma once
// The registry: keys and typed values under the predefined roots, names compared
// without regard to case, change notification through an event.

#include "winapi/win32/types.h"

// The predefined keys are sign-extended 32-bit values, as in the Windows headers.
inline HKEY winsim_predefined_hkey(uint32_t value) {
    return reinterpret_cast<HKEY>(  // NOLINT(performance-no-int-to-ptr)
        static_cast<ULONG_PTR>(static_cast<LONG_PTR>(static_cast<LONG>(value))));
}
#define HKEY_CLASSES_ROOT (winsim_predefined_hkey(0x80000000u))
#define HKEY_CURRENT_USER (winsim_predefined_hkey(0x80000001u))
#define HKEY_LOCAL_MACHINE (winsim_predefined_hkey(0x80000002u))
#define HKEY_USERS (winsim_predefined_hkey(0x80000003u))

inline constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
inline constexpr REGSAM KEY_SET_VALUE = 0x0002;
inline constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr REGSAM KEY_NOTIFY = 0x0010;
inline constexpr REGSAM KEY_CREATE_LINK = 0x0020;
inline constexpr REGSAM KEY_WOW64_64KEY = 0x0100;
inline constexpr REGSAM KEY_WOW64_32KEY = 0x0200;
inline constexpr REGSAM KEY_READ = 0x00020019;
inline constexpr REGSAM KEY_WRITE = 0x00020006;
inline constexpr REGSAM KEY_EXECUTE = 0x00020019;
inline constexpr REGSAM KEY_ALL_ACCESS = 0x000F003F;

inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_EXPAND_SZ = 2;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;
inline constexpr DWORD REG_DWORD_LITTLE_ENDIAN = 4;
inline constexpr DWORD REG_DWORD_BIG_ENDIAN = 5;
inline constexpr DWORD REG_LINK = 6;
inline constexpr DWORD REG_MULTI_SZ = 7;
inline constexpr DWORD REG_QWORD = 11;
inline constexpr DWORD REG_QWORD_LITTLE_ENDIAN = 11;

inline constexpr DWORD REG_OPTION_RESERVED = 0x00000000;
inline constexpr DWORD REG_OPTION_NON_VOLATILE = 0x00000000;
inline constexpr DWORD REG_OPTION_VOLATILE = 0x00000001;
inline constexpr DWORD REG_CREATED_NEW_KEY = 0x00000001;
inline constexpr DWORD REG_OPENED_EXISTING_KEY = 0x00000002;

inline constexpr DWORD REG_NOTIFY_CHANGE_NAME = 0x00000001;
inline constexpr DWORD REG_NOTIFY_CHANGE_ATTRIBUTES = 0x00000002;
inline constexpr DWORD REG_NOTIFY_CHANGE_LAST_SET = 0x00000004;
inline constexpr DWORD REG_NOTIFY_CHANGE_SECURITY = 0x00000008;
inline constexpr DWORD REG_NOTIFY_THREAD_AGNOSTIC = 0x10000000;
inline constexpr DWORD REG_LEGAL_CHANGE_FILTER = 0x1000000F;

inline constexpr DWORD RRF_RT_REG_NONE = 0x00000001;
inline constexpr DWORD RRF_RT_REG_SZ = 0x00000002;
inline constexpr DWORD RRF_RT_REG_EXPAND_SZ = 0x00000004;
inline constexpr DWORD RRF_RT_REG_BINARY = 0x00000008;
inline constexpr DWORD RRF_RT_REG_DWORD = 0x00000010;
inline constexpr DWORD RRF_RT_REG_MULTI_SZ = 0x00000020;
inline constexpr DWORD RRF_RT_REG_QWORD = 0x00000040;
inline constexpr DWORD RRF_RT_DWORD = RRF_RT_REG_BINARY | RRF_RT_REG_DWORD;
inline constexpr DWORD RRF_RT_QWORD = RRF_RT_REG_BINARY | RRF_RT_REG_QWORD;
inline constexpr DWORD RRF_RT_ANY = 0x0000FFFF;
inline constexpr DWORD RRF_SUBKEY_WOW6464KEY = 0x00010000;
inline constexpr DWORD RRF_SUBKEY_WOW6432KEY = 0x00020000;
inline constexpr DWORD RRF_NOEXPAND = 0x10000000;
inline constexpr DWORD RRF_ZEROONFAILURE = 0x20000000;

extern "C" {

WINSIM_API LSTATUS WINAPI RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD ulOptions,
                                        REGSAM samDesired, PHKEY phkResult);
WINSIM_API LSTATUS WINAPI RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD Reserved,
                                          LPWSTR lpClass, DWORD dwOptions, REGSAM samDesired,
                                          const LPSECURITY_ATTRIBUTES lpSecurityAttributes,
                                          PHKEY phkResult, LPDWORD lpdwDisposition);
WINSIM_API LSTATUS WINAPI RegCloseKey(HKEY hKey);

WINSIM_API LSTATUS WINAPI RegGetValueW(HKEY hkey, LPCWSTR lpSubKey, LPCWSTR lpValue, DWORD dwFlags,
                                       LPDWORD pdwType, PVOID pvData, LPDWORD pcbData);
WINSIM_API LSTATUS WINAPI RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD lpReserved,
                                           LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData);
WINSIM_API LSTATUS WINAPI RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD Reserved,
                                         DWORD dwType, const BYTE* lpData, DWORD cbData);
WINSIM_API LSTATUS WINAPI RegSetKeyValueW(HKEY hKey, LPCWSTR lpSubKey, LPCWSTR lpValueName,
                                          DWORD dwType, LPCVOID lpData, DWORD cbData);
WINSIM_API LSTATUS WINAPI RegDeleteValueW(HKEY hKey, LPCWSTR lpValueName);
// Fails with ERROR_ACCESS_DENIED while the key has subkeys, as on Windows.
WINSIM_API LSTATUS WINAPI RegDeleteKeyW(HKEY hKey, LPCWSTR lpSubKey);
WINSIM_API LSTATUS WINAPI RegDeleteKeyExW(HKEY hKey, LPCWSTR lpSubKey, REGSAM samDesired,
                                          DWORD Reserved);
WINSIM_API LSTATUS WINAPI RegDeleteTreeW(HKEY hKey, LPCWSTR lpSubKey);
WINSIM_API LSTATUS WINAPI RegEnumKeyExW(HKEY hKey, DWORD dwIndex, LPWSTR lpName, LPDWORD lpcchName,
                                        LPDWORD lpReserved, LPWSTR lpClass, LPDWORD lpcchClass,
                                        PFILETIME lpftLastWriteTime);
WINSIM_API LSTATUS WINAPI RegEnumValueW(HKEY hKey, DWORD dwIndex, LPWSTR lpValueName,
                                        LPDWORD lpcchValueName, LPDWORD lpReserved, LPDWORD lpType,
                                        LPBYTE lpData, LPDWORD lpcbData);

// One-shot: the event is signalled on the next change that matches the filter, when the
// watched key is deleted, or when hKey is closed. With fAsynchronous FALSE the call
// blocks until then instead. Registrations are not tied to the calling thread's life (as
// with REG_NOTIFY_THREAD_AGNOSTIC on Windows).
WINSIM_API LSTATUS WINAPI RegNotifyChangeKeyValue(HKEY hKey, BOOL bWatchSubtree,
                                                  DWORD dwNotifyFilter, HANDLE hEvent,
                                                  BOOL fAsynchronous);

}  // extern "C"

#define RegOpenKeyEx RegOpenKeyExW
#define RegCreateKeyEx RegCreateKeyExW
#define RegGetValue RegGetValueW
#define RegQueryValueEx RegQueryValueExW
#define RegSetValueEx RegSetValueExW
#define RegSetKeyValue RegSetKeyValueW
#define RegDeleteValue RegDeleteValueW
#define RegDeleteKey RegDeleteKeyW
#define RegDeleteKeyEx RegDeleteKeyExW
#define RegDeleteTree RegDeleteTreeW
#define RegEnumKeyEx RegEnumKeyExW
#define RegEnumValue RegEnumValueW
