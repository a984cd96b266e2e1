#pragma once
// Handle values for every kind of object the machine hands out (kernel objects, registry
// keys, service handles, event-log handles). Values are never reused, so a closed or
// stale handle is always recognised as invalid, also across machine resets.

#include <cstdint>

namespace winsim::detail {

uintptr_t NextHandleValue();

template <typename H>
H ToHandle(uintptr_t value) {
    return reinterpret_cast<H>(value);  // NOLINT(performance-no-int-to-ptr): handles are numbers
}

template <typename H>
uintptr_t FromHandle(H handle) {
    return reinterpret_cast<uintptr_t>(handle);
}

}  // namespace winsim::detail
