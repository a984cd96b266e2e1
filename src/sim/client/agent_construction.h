#pragma once
// Arranged failures of the agents that the service constructs itself.

#include <string_view>

namespace orvsim::client {

// Throws std::runtime_error when the construction of `component` is arranged to fail.
void ThrowIfConstructionFails(std::string_view component);

}  // namespace orvsim::client
