#include "shared/version.h"

// The assignments are defaulted in the class so that Version stays trivially copyable; taking
// their addresses here makes this library emit (and, being marked, export) them.
[[maybe_unused,
  gnu::used]] static Version& (Version::*const kCopyAssign)(const Version&) = &Version::operator=;
[[maybe_unused,
  gnu::used]] static Version& (Version::*const kMoveAssign)(Version&&) = &Version::operator=;
ORV_EXPORT_EMITTED("_ZN7VersionaSERKS_");
ORV_EXPORT_EMITTED("_ZN7VersionaSEOS_");

bool Version::operator==(const Version& other) {
    return Equals(other);
}
bool Version::operator!=(const Version& other) {
    return !Equals(other);
}
bool Version::operator<(const Version& other) {
    return CompareTo(other) < 0;
}
bool Version::operator<=(const Version& other) {
    return CompareTo(other) <= 0;
}
bool Version::operator>(const Version& other) {
    return CompareTo(other) > 0;
}
bool Version::operator>=(const Version& other) {
    return CompareTo(other) >= 0;
}
