#pragma once
// A registry helper object that agents hold to read and write their settings. Any thread.

#include <optional>
#include <string>

#include "winapi/windows_api.h"

namespace ORV {

class RegistryHelper {
  public:
    RegistryHelper();
    ~RegistryHelper() = default;

    std::optional<std::wstring> ReadString(HKEY root, const std::wstring& subKey,
                                           const std::wstring& valueName);
    std::optional<DWORD> ReadDword(HKEY root, const std::wstring& subKey,
                                   const std::wstring& valueName);

    // Create the key if needed. True on success.
    bool WriteString(HKEY root, const std::wstring& subKey, const std::wstring& valueName,
                     const std::wstring& value);
    bool WriteDword(HKEY root, const std::wstring& subKey, const std::wstring& valueName,
                    DWORD value);
};

}  // namespace ORV
