#pragma once
// Conversions between wide text (UTF-16 on Windows, UTF-32 elsewhere) and UTF-8. Invalid input
// never throws: each invalid sequence or code unit becomes U+FFFD, as Windows' converters do
// without MB_ERR_INVALID_CHARS.

#include <string>
#include <string_view>

namespace orvbase {

std::string WideToUtf8(std::wstring_view text);
std::wstring Utf8ToWide(std::string_view text);

}  // namespace orvbase
