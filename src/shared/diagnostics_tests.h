#pragma once
// orv::diagnostics::Tests: the names of the four diagnostics tests that a scan runs. A plain
// value; this library provides (and exports) its special members, member-wise over the four
// strings.

#include <string>

#include "shared/export.h"

namespace orv::diagnostics {

struct Tests {
    ORV_EXPORT Tests();  // four empty strings
    ORV_EXPORT Tests(const Tests& other);
    ORV_EXPORT Tests(Tests&& other) noexcept;  // leaves other's strings empty
    ORV_EXPORT Tests& operator=(const Tests& other);
    ORV_EXPORT Tests& operator=(Tests&& other) noexcept;  // leaves other's strings empty
    ORV_EXPORT ~Tests();  // releases the strings from the last to the first

    std::wstring hardware;
    std::wstring software;
    std::wstring network;
    std::wstring security;
};

}  // namespace orv::diagnostics
