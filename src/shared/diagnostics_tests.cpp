#include "shared/diagnostics_tests.h"

#include "shared/string_fields.h"

using orv_shared_detail::MoveString;
using orv_shared_detail::TakeString;

namespace orv::diagnostics {

Tests::Tests() = default;

Tests::Tests(const Tests& other) = default;

Tests::Tests(Tests&& other) noexcept
    : hardware(TakeString(other.hardware)),
      software(TakeString(other.software)),
      network(TakeString(other.network)),
      security(TakeString(other.security)) {}

Tests& Tests::operator=(const Tests& other) = default;

Tests& Tests::operator=(Tests&& other) noexcept {
    if (this != &other) {
        MoveString(hardware, other.hardware);
        MoveString(software, other.software);
        MoveString(network, other.network);
        MoveString(security, other.security);
    }
    return *this;
}

// Reverse declaration order: security, network, software, hardware.
Tests::~Tests() = default;

}  // namespace orv::diagnostics
