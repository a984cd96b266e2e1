#pragma once
// Arranging and reading the registry. Key paths are relative to `root` and use
// backslashes; names compare without regard to case. Changes made here notify watchers
// (RegNotifyChangeKeyValue) like changes made by another process.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "winapi/windows_api.h"

namespace winsim::registry {

// Each setter creates missing keys along the path.
WINSIM_API void SetString(std::wstring_view key, std::wstring_view name, std::wstring_view value,
                          HKEY root = HKEY_LOCAL_MACHINE);
WINSIM_API void SetDword(std::wstring_view key, std::wstring_view name, DWORD value,
                         HKEY root = HKEY_LOCAL_MACHINE);
// Raw bytes of any REG_* type, stored as given.
WINSIM_API void SetValue(std::wstring_view key, std::wstring_view name, DWORD type,
                         const std::vector<BYTE>& data, HKEY root = HKEY_LOCAL_MACHINE);
WINSIM_API void CreateKey(std::wstring_view key, HKEY root = HKEY_LOCAL_MACHINE);

// Empty when the key or value is missing or has another type (REG_SZ or REG_EXPAND_SZ;
// REG_DWORD).
WINSIM_API std::optional<std::wstring> GetString(std::wstring_view key, std::wstring_view name,
                                                 HKEY root = HKEY_LOCAL_MACHINE);
WINSIM_API std::optional<DWORD> GetDword(std::wstring_view key, std::wstring_view name,
                                         HKEY root = HKEY_LOCAL_MACHINE);
WINSIM_API bool KeyExists(std::wstring_view key, HKEY root = HKEY_LOCAL_MACHINE);
WINSIM_API bool ValueExists(std::wstring_view key, std::wstring_view name,
                            HKEY root = HKEY_LOCAL_MACHINE);

// Return false when there was nothing to delete. DeleteKey removes the whole subtree.
WINSIM_API bool DeleteValue(std::wstring_view key, std::wstring_view name,
                            HKEY root = HKEY_LOCAL_MACHINE);
WINSIM_API bool DeleteKey(std::wstring_view key, HKEY root = HKEY_LOCAL_MACHINE);

}  // namespace winsim::registry
