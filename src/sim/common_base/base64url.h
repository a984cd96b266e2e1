#pragma once
// Base64url without padding (RFC 4648, section 5), as compact tokens carry their parts.
// Pure functions; any thread.

#include <optional>
#include <string>
#include <string_view>

namespace orvsim {

std::string Base64UrlEncode(std::string_view bytes);

// Nothing when `text` holds a character outside the alphabet; decoding stops at '='.
std::optional<std::string> Base64UrlDecode(std::string_view text);

}  // namespace orvsim
