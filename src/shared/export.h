#pragma once
// ORV_EXPORT marks the members that liborvservice provides to the client's sibling libraries.
// The library is built with hidden visibility, so this marker is what puts a declaration into
// its ABI. The export mechanism is a property of the object format, hence the platform test.
//
// On Windows the marker is dllexport while liborvservice builds, and dllimport for its users,
// except for the sibling libraries (ORV_BUILDING_SIBLINGS): they define members of the same
// classes (a class exported as a whole may have members of theirs), which a dllimport class
// forbids, so they bind to liborvservice's members by plain reference through its import
// library.
//
// ORV_EXPORT_INLINE marks an exported member defined in the class (a defaulted assignment,
// say): a user compiles its own copy, since a dllimport function cannot have a definition.
// GCC emits such a member in a COMDAT section without its export directive, so the file that
// makes the library emit it also names it, by its decorated name, with ORV_EXPORT_EMITTED.

#if defined(_WIN32)
#define ORV_EXPORT_EMITTED(decorated) \
    asm(".section .drectve\n\t.ascii \" -export:\\\"" decorated "\\\"\"\n\t.text")
#if defined(ORV_BUILDING_SERVICE)
#define ORV_EXPORT __declspec(dllexport)
#define ORV_EXPORT_INLINE __declspec(dllexport)
#elif defined(ORV_BUILDING_SIBLINGS)
#define ORV_EXPORT
#define ORV_EXPORT_INLINE
#else
#define ORV_EXPORT __declspec(dllimport)
#define ORV_EXPORT_INLINE
#endif
#else
#define ORV_EXPORT_EMITTED(decorated)
#define ORV_EXPORT __attribute__((visibility("default")))
#define ORV_EXPORT_INLINE __attribute__((visibility("default")))
#endif
