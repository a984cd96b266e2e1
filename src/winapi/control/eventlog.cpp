#include "winapi/control/eventlog.h"

#include <ctime>
#include <cwchar>

#include "winapi/machine/event_query.h"
#include "winapi/machine/machine.h"

namespace winsim::eventlog {

namespace {

detail::EventLog& TheLog() {
    return detail::Machine::Get().eventlog;
}

// "2024-05-01T10:00:00.1234567Z", the event log's own time format.
std::wstring IsoTime(std::chrono::system_clock::time_point t) {
    using Ticks = std::chrono::duration<int64_t, std::ratio<1, 10000000>>;
    const auto since_epoch = std::chrono::duration_cast<Ticks>(t.time_since_epoch());
    auto seconds = std::chrono::floor<std::chrono::seconds>(since_epoch);
    const auto fraction = std::chrono::duration_cast<Ticks>(since_epoch - seconds).count();
    const std::time_t whole = static_cast<std::time_t>(seconds.count());
    std::tm utc{};
    gmtime_r(&whole, &utc);
    wchar_t text[64];
    std::swprintf(text, sizeof(text) / sizeof(text[0]), L"%04d-%02d-%02dT%02d:%02d:%02d.%07lldZ",
                  utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min,
                  utc.tm_sec, static_cast<long long>(fraction));
    return text;
}

}  // namespace

uint64_t Publish(std::wstring_view channel, std::wstring xml) {
    return TheLog().Publish(channel, std::move(xml));
}

uint64_t PublishSystem(std::wstring xml) {
    return Publish(kSystemChannel, std::move(xml));
}

std::optional<DWORD> EventIdOf(std::wstring_view xml) {
    return detail::EventIdOf(xml);
}

std::wstring TimeChangeEventXml(std::chrono::system_clock::time_point oldTime,
                                std::chrono::system_clock::time_point newTime) {
    const long long delta_ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(newTime - oldTime).count();
    const std::wstring new_text = IsoTime(newTime);
    std::wstring xml =
        L"<Event xmlns='http://schemas.microsoft.com/win/2004/08/events/event'>"
        L"<System>"
        L"<Provider Name='Microsoft-Windows-Kernel-General' "
        L"Guid='{a68ca8b7-004f-d7b6-a698-07e2de0f1f5d}'/>"
        L"<EventID>1</EventID><Version>2</Version><Level>4</Level><Task>5</Task>"
        L"<Opcode>0</Opcode><Keywords>0x8000000000000010</Keywords>"
        L"<TimeCreated SystemTime='" +
        new_text +
        L"'/>"
        L"<Correlation/><Execution ProcessID='4' ThreadID='8'/>"
        L"<Channel>System</Channel><Computer>WINSIM</Computer><Security UserID='S-1-5-19'/>"
        L"</System>"
        L"<EventData>"
        L"<Data Name='NewTime'>" +
        new_text +
        L"</Data>"
        L"<Data Name='OldTime'>" +
        IsoTime(oldTime) +
        L"</Data>"
        L"<Data Name='Reason'>2</Data>"
        L"<Data Name='TimeDeltaInMs'>" +
        std::to_wstring(delta_ms) +
        L"</Data>"
        L"</EventData>"
        L"</Event>";
    return xml;
}

void PublishError(std::wstring_view channel, DWORD errorCode) {
    TheLog().PublishError(channel, errorCode);
}

void WaitUntilDelivered() {
    TheLog().WaitUntilDelivered();
}

std::size_t SubscriptionCount(std::wstring_view channel) {
    return TheLog().SubscriptionCount(channel);
}

}  // namespace winsim::eventlog
