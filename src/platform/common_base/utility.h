#pragma once
// General utilities of the common base library.

#include <cstddef>
#include <string>

namespace ORV {
namespace utility {

// The client's version text (UTF-8). Written once by the service at start; read by others.
extern std::string OrvVersionName;

// True once the out-of-box experience of Windows setup has finished. Any thread.
bool IsOOBECompleted();

// Fills `length` bytes at `destination` with zeros.
void zeromemory(void* destination, std::size_t length);

}  // namespace utility

namespace System {

// The current time (UTC, ISO 8601 with milliseconds, e.g. "2024-05-01T12:00:00.000Z").
std::wstring GetTime();

}  // namespace System
}  // namespace ORV
