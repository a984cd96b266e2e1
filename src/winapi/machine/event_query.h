#pragma once
// The event-log query language as far as the machine understands it: all events, or
// events whose System/EventID is one of a list.

#include <optional>
#include <string_view>
#include <vector>

#include "winapi/win32/types.h"

namespace winsim::detail {

struct EventQuery {
    bool all = true;
    std::vector<DWORD> event_ids;  // when not `all`

    bool Matches(DWORD event_id) const;
};

// Accepts null, "", "*", "Event", and "Event/System[C]", "*/System[C]", "Event[System[C]]",
// "*[System[C]]", where C is "EventID=N" or several of them joined by "or", optionally in
// parentheses. Empty for anything else.
std::optional<EventQuery> ParseEventQuery(const wchar_t* query);

// The number in the event's first well-formed <EventID>...</EventID> element (attributes
// allowed, blanks around a number of one to ten digits that fits 32 bits). Linear in the
// length of `xml`, without recursion.
std::optional<DWORD> EventIdOf(std::wstring_view xml);

}  // namespace winsim::detail
