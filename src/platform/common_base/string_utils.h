#pragma once
// Text helpers of the common base library. Wide strings are UTF-16 on Windows and UTF-32
// elsewhere; the names keep the Windows view. Conversions never throw on bad input: each
// invalid sequence becomes U+FFFD. Any thread.

#include <string>

namespace ORV::String {

std::wstring UTF8ToUTF16(const std::string& text);
std::string UTF16ToUTF8(const std::wstring& text);

// True when the two texts are equal ignoring letter case (whole strings).
bool CaseInsesitiveEqual(std::wstring first, std::wstring second);

}  // namespace ORV::String
