#pragma once
// Helpers for the string fields of the shared records. Moving a string out of a record must
// leave the source empty, which the standard library only leaves "valid but unspecified", so
// the empty source is made explicit. Internal to this library.

#include <string>
#include <utility>

namespace orv_shared_detail {

// Move-constructs a string from source and empties source.
template <class String>
String TakeString(String& source) {
    String taken = std::move(source);
    source.clear();
    return taken;
}

// Move-assigns source to target and empties source; target and source are distinct.
template <class String>
void MoveString(String& target, String& source) {
    target = std::move(source);
    source.clear();
}

// Copies source into target unless they are the same string.
template <class String>
void AssignUnlessSame(String& target, const String& source) {
    if (&target != &source) {
        target = source;
    }
}

}  // namespace orv_shared_detail
