#include "host/steps/event_log_step.h"

#include <fmt/format.h>

#include <chrono>

#include "base/unicode.h"
#include "host/scenario/parser_parts.h"
#include "winapi/control/eventlog.h"
#include "winapi/control/machine_control.h"

namespace orvhost {

namespace {

std::optional<std::string> EventXml(const JsonNode& node) {
    auto text = node.NonEmptyString();
    // The event log's own reading, so that what passes here is what it takes.
    if (text && !winsim::eventlog::EventIdOf(orvbase::Utf8ToWide(*text))) {
        node.Error("the event XML needs an <EventID> element with a number from 0 to 4294967295");
    }
    return text;
}

}  // namespace

void EventLogStep::Read(JsonObject& object) {
    const auto which = parse::OneKeyOf(object, {"xml", "timeDeltaMs", "error"}, "event");
    if (which == 0) {
        parse::Optional(object, "xml", xml, EventXml);
    } else if (which == 1) {
        parse::Optional(object, "timeDeltaMs", timeDeltaMs, parse::SignedMs);
    } else if (which == 2) {
        parse::Optional(object, "error", errorCode, parse::Dword);
    }
}

std::string EventLogStep::Name() const {
    return errorCode     ? "event-log error notification"
           : timeDeltaMs ? fmt::format("event-log time change of {} ms", *timeDeltaMs)
                         : "event-log event";
}

bool EventLogStep::Act(StepContext&) const {
    if (errorCode) {
        winsim::eventlog::PublishError(winsim::eventlog::kSystemChannel, *errorCode);
    } else if (xml) {
        winsim::eventlog::PublishSystem(orvbase::Utf8ToWide(*xml));
    } else {
        const auto now = winsim::clock::WallNow();
        winsim::eventlog::PublishSystem(winsim::eventlog::TimeChangeEventXml(
            now, now + std::chrono::milliseconds(*timeDeltaMs)));
    }
    return true;
}

}  // namespace orvhost
