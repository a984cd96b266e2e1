#include "service/time_delta.h"

#include <cstdlib>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>

#include "platform/common_base/log.h"

namespace {
constexpr const wchar_t* kDeltaScope = L"OrvClientService::GetTimeDeltaFromEvent";

// The value of the first <Data Name=['"]TimeDeltaInMs['"]>(-?\d+)</Data> in the event, found
// in one pass: a regular expression recurses once per digit, and the event log's threads
// have small stacks. No two candidates share a character past their fixed opening.
std::optional<std::wstring_view> FirstTimeDelta(std::wstring_view xml) {
    constexpr std::wstring_view kOpen = L"<Data Name=";
    constexpr std::wstring_view kName = L"TimeDeltaInMs";
    constexpr std::wstring_view kClose = L"</Data>";
    const auto quote = [&](std::size_t at) {
        return at < xml.size() && (xml[at] == L'\'' || xml[at] == L'"');
    };
    const auto digit = [&](std::size_t at) {
        return at < xml.size() && xml[at] >= L'0' && xml[at] <= L'9';
    };
    for (std::size_t open = xml.find(kOpen); open != std::wstring_view::npos;
         open = xml.find(kOpen, open + 1)) {
        std::size_t at = open + kOpen.size();
        if (!quote(at) || xml.substr(at + 1, kName.size()) != kName) {
            continue;
        }
        at += 1 + kName.size();
        if (!quote(at) || xml.substr(at + 1, 1) != L">") {
            continue;
        }
        const std::size_t value = at + 2;
        at = value + (xml.substr(value, 1) == L"-" ? 1 : 0);
        const std::size_t digits = at;
        while (digit(at)) {
            ++at;
        }
        if (at > digits && xml.substr(at, kClose.size()) == kClose) {
            return xml.substr(value, at - value);
        }
    }
    return std::nullopt;
}
}  // namespace

int64_t TimeDeltaFromEventXml(std::wstring_view xml) {
    const std::optional<std::wstring_view> found = FirstTimeDelta(xml);
    if (!found) {
        return 0;
    }
    const std::wstring text(*found);
    try {
        const long long delta = std::stoll(text, nullptr, 10);
        return delta == std::numeric_limits<long long>::min() ? std::numeric_limits<int64_t>::max()
                                                              : std::llabs(delta);
    } catch (const std::out_of_range&) {
        // A delta beyond 64 bits is no clock change we can act on.
        ORV::g_log.d(L"%s: TimeDeltaInMs out of range: %s", kDeltaScope, text);
        return 0;
    }
}
