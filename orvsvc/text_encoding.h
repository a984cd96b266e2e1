#pragma once
// UTF-16 (Windows' wide strings) to UTF-8 and back. Invalid sequences become U+FFFD.

#include <string>
#include <string_view>

namespace orvsvc {

std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view text);

}  // namespace orvsvc
