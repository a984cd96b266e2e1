#pragma once
// Typed reads and writes over the (simulated) Win32 registry, for the registry stand-ins.
// Reads give nullopt when the key or value is missing or of another type. Any thread.

#include <optional>
#include <string>
#include <vector>

#include "winapi/windows_api.h"

namespace orvsim::registry {

std::optional<std::wstring> ReadString(HKEY root, const std::wstring& subKey,
                                       const std::wstring& valueName);
std::optional<DWORD> ReadDword(HKEY root, const std::wstring& subKey,
                               const std::wstring& valueName);

// Create the key if needed. True on success.
bool WriteString(HKEY root, const std::wstring& subKey, const std::wstring& valueName,
                 const std::wstring& value);
bool WriteDword(HKEY root, const std::wstring& subKey, const std::wstring& valueName, DWORD value);

// A value's type and bytes as stored, read from an open key; nullopt when it does not exist.
struct RawValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    bool operator==(const RawValue&) const = default;
};
std::optional<RawValue> ReadRaw(HKEY key, const std::wstring& valueName);

}  // namespace orvsim::registry
