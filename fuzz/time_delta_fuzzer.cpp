// The reading of TimeDeltaInMs from a System event's XML, which the event-log callback runs
// on text that the event log renders. Bytes below 0x80 are taken as they are, so that the
// XML dictionary works; the others become U+FF00..U+FF7F, among them the full-width digits
// and angle brackets, which must never pass for their ASCII look-alikes.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "service/time_delta.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::wstring xml;
    xml.reserve(size);
    for (size_t i = 0; i < size; ++i) {
        const uint8_t byte = data[i];
        xml.push_back(byte < 0x80 ? static_cast<wchar_t>(byte)
                                  : static_cast<wchar_t>(0xFF00 + (byte - 0x80)));
    }
    const int64_t delta = TimeDeltaFromEventXml(xml);
    // A magnitude, and only where the data item is named.
    if (delta < 0 || (delta != 0 && xml.find(L"TimeDeltaInMs") == std::wstring::npos)) {
        std::abort();
    }
    return 0;
}
