#pragma once
// Version: the comparable version number that the client's libraries exchange. Four 32-bit
// components and nothing else; trivially copyable.
//
// The shared-native library provides Equals and CompareTo; this library provides the
// assignments and the six operators, exported. Each operator makes exactly one call:
// == and != call Equals, the ordering operators call CompareTo and test its sign.

#include <cstdint>

#include "shared/export.h"

class Version {
  public:
    Version() = default;
    Version(std::int32_t majorPart, std::int32_t minorPart, std::int32_t buildPart,
            std::int32_t revisionPart)
        : major_(majorPart), minor_(minorPart), build_(buildPart), revision_(revisionPart) {}
    Version(const Version&) = default;
    Version(Version&&) = default;
    ~Version() = default;

    // Copy the four components; the source is unchanged. Defaulted so that the type stays
    // trivially copyable; version.cpp emits and exports them.
    ORV_EXPORT_INLINE Version& operator=(const Version& other) = default;
    ORV_EXPORT_INLINE Version& operator=(Version&& other) = default;

    // Shared-native library. Equals: true exactly when the four components are equal.
    // CompareTo: negative when this version is lower, zero when equal, positive when higher.
    bool Equals(const Version& other);
    int CompareTo(const Version& other);

    // Non-const members, as the client's other libraries expect them. In C++20, writing a == b
    // for two non-const versions also considers the reversed b == a, which clang reports
    // (-Wambiguous-reversed-operator) although the regular call is chosen; call the operator
    // by name where that matters.
    ORV_EXPORT bool operator==(const Version& other);
    ORV_EXPORT bool operator!=(const Version& other);
    ORV_EXPORT bool operator<(const Version& other);
    ORV_EXPORT bool operator<=(const Version& other);
    ORV_EXPORT bool operator>(const Version& other);
    ORV_EXPORT bool operator>=(const Version& other);

    std::int32_t GetMajor() const { return major_; }
    std::int32_t GetMinor() const { return minor_; }
    std::int32_t GetBuild() const { return build_; }
    std::int32_t GetRevision() const { return revision_; }

  private:
    std::int32_t major_ = 0;
    std::int32_t minor_ = 0;
    std::int32_t build_ = 0;
    std::int32_t revision_ = 0;
};
