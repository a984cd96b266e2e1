#pragma once
// SHA-256 (FIPS 180-4) and HMAC-SHA256 (RFC 2104), for the core utility's hashes and
// signatures. Pure functions; any thread.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace orvsim {

using Sha256Digest = std::array<std::uint8_t, 32>;

Sha256Digest Sha256(std::string_view data);
Sha256Digest HmacSha256(std::string_view key, std::string_view data);

// Lower-case hexadecimal text of a digest.
std::string ToHex(const Sha256Digest& digest);

}  // namespace orvsim
