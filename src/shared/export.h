#pragma once
// ORV_EXPORT marks the members that liborvservice provides to the client's sibling libraries.
// The library is built with hidden visibility, so this marker is what puts a declaration into
// its ABI. The export mechanism is a property of the object format, hence the platform test.

#if defined(_WIN32)
#if defined(ORV_BUILDING_SERVICE)
#define ORV_EXPORT __declspec(dllexport)
#else
#define ORV_EXPORT __declspec(dllimport)
#endif
#else
#define ORV_EXPORT __attribute__((visibility("default")))
#endif
