#pragma once
// Registry reads of the common base library. Any thread.

#include <string>

#include "winapi/windows_api.h"

namespace ORV {

class CRegUtil {
  public:
    // Reads the string value `valueName` of `root`\`subKey` into `value`. Non-zero when the
    // value existed, was a string and was read; `value` is untouched otherwise.
    static BOOL GetRegValueOfStringType(HKEY root, std::wstring subKey, std::wstring valueName,
                                        std::wstring& value);

    // The same for a DWORD value.
    static BOOL GetRegValueOfDwordType(HKEY root, std::wstring subKey, std::wstring valueName,
                                       DWORD& value);
};

}  // namespace ORV
