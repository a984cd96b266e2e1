#pragma once
// The clock change a rendered System event 1 reports, read from its XML. Kept apart from the
// event-log subscription so that the reading can be exercised on any text, without a channel.

#include <cstdint>
#include <string_view>

// |TimeDeltaInMs| of the first well-formed <Data Name='TimeDeltaInMs'>-?digits</Data> item of
// `xml`; 0 when there is none or its value does not fit in 64 bits. Never throws for bad
// text; linear in the length of `xml`.
int64_t TimeDeltaFromEventXml(std::wstring_view xml);
