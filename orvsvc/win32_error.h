#pragma once
// Win32 error codes as people read them.

#include <string>
#include <string_view>

#include "winapi/windows_api.h"

namespace orvsvc {

// The system's text for `code`, without the trailing line break; "unknown error" when the
// system has none.
std::wstring Win32ErrorText(DWORD code);

// "<call> failed with error <code>: <text>"
std::wstring DescribeFailure(std::wstring_view call, DWORD code);

}  // namespace orvsvc
