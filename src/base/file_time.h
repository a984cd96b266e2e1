#pragma once
// FILETIME arithmetic: a FILETIME counts 100 ns units since 1601-01-01 (UTC), a
// std::chrono::system_clock time point counts from the Unix epoch, 11644473600 s later.

#include <chrono>
#include <cstdint>
#include <ratio>

namespace orvbase::filetime {

inline constexpr std::int64_t kUnitsPerSecond = 10'000'000;
inline constexpr std::int64_t kUnixEpochSeconds = 11'644'473'600;
inline constexpr std::int64_t kUnixEpochUnits = kUnixEpochSeconds * kUnitsPerSecond;

using Units = std::chrono::duration<std::int64_t, std::ratio<1, kUnitsPerSecond>>;

// The FILETIME value of `t`.
constexpr std::int64_t FromTimePoint(std::chrono::system_clock::time_point t) {
    return kUnixEpochUnits + std::chrono::duration_cast<Units>(t.time_since_epoch()).count();
}

// The time point of the FILETIME value `units`.
constexpr std::chrono::system_clock::time_point ToTimePoint(std::int64_t units) {
    return std::chrono::system_clock::time_point(
        std::chrono::duration_cast<std::chrono::system_clock::duration>(
            Units(units - kUnixEpochUnits)));
}

}  // namespace orvbase::filetime
