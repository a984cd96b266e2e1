#pragma once
// Reads of the simulated machine's registry for the device-information stand-ins. They are the
// libraries' own look at the machine, so they go to the Win32 registry directly rather than
// through the common base's (traced) registry utilities.

#include <optional>
#include <string>

#include "winapi/windows_api.h"

namespace orvsim::client {

// The string value, or empty when it is missing or not a string.
std::wstring ReadRegistryString(const wchar_t* subKey, const wchar_t* valueName);

// The DWORD value, or nothing when it is missing or not a DWORD.
std::optional<DWORD> ReadRegistryDword(const wchar_t* subKey, const wchar_t* valueName);

}  // namespace orvsim::client
