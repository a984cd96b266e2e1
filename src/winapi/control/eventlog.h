#pragma once
// Publishing events on the machine's event-log channels ("System", "Application").
// Subscriptions see them on the channel thread, in publication order.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "winapi/windows_api.h"

namespace winsim::eventlog {

inline constexpr std::wstring_view kSystemChannel = L"System";
inline constexpr std::wstring_view kApplicationChannel = L"Application";

// Publishes `xml`, which EvtRender returns verbatim; it must hold <EventID>N</EventID>
// (attributes allowed) for queries to match. Returns the event's record number.
// Throws std::invalid_argument for an unknown channel or XML without an event id.
WINSIM_API uint64_t Publish(std::wstring_view channel, std::wstring xml);
WINSIM_API uint64_t PublishSystem(std::wstring xml);

// The event id Publish reads from `xml`: the first <EventID> element (attributes allowed,
// blanks around the number) holding a decimal number of at most 32 bits; nothing when there
// is none. Linear in the length of `xml`.
WINSIM_API std::optional<DWORD> EventIdOf(std::wstring_view xml);

// The XML of the Kernel-General event 1 that Windows logs when the system time changes,
// with the data items NewTime, OldTime, Reason and TimeDeltaInMs (new minus old).
WINSIM_API std::wstring TimeChangeEventXml(std::chrono::system_clock::time_point oldTime,
                                           std::chrono::system_clock::time_point newTime);

// Sends every subscription of the channel an EvtSubscribeActionError notification.
WINSIM_API void PublishError(std::wstring_view channel, DWORD errorCode);

// Blocks until every notification published so far has been delivered (its callbacks
// returned). Must not be called from a subscription callback.
WINSIM_API void WaitUntilDelivered();

WINSIM_API std::size_t SubscriptionCount(std::wstring_view channel);

}  // namespace winsim::eventlog
