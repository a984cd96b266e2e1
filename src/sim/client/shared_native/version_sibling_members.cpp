#include "shared/version.h"

#include <array>

#include "sim/trace.h"

namespace {

constexpr char kComponent[] = "Version";

std::array<std::int32_t, 4> Parts(const Version& version) {
    return {version.GetMajor(), version.GetMinor(), version.GetBuild(), version.GetRevision()};
}

}  // namespace

bool Version::Equals(const Version& other) {
    orvsim::TraceCall(kComponent, "Equals");
    return Parts(*this) == Parts(other);
}

int Version::CompareTo(const Version& other) {
    orvsim::TraceCall(kComponent, "CompareTo");
    const auto mine = Parts(*this);
    const auto theirs = Parts(other);
    // Major first, then minor, build and revision.
    for (std::size_t i = 0; i < mine.size(); ++i) {
        if (mine[i] != theirs[i]) {
            return mine[i] < theirs[i] ? -1 : 1;
        }
    }
    return 0;
}
