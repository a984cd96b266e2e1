#include "host/expectations/control_expectation.h"

#include "host/expectations/judging.h"
#include "host/scenario/parser_parts.h"
#include "host/scenario/scenario_names.h"

namespace orvhost {

bool Matches(const ControlMatcher& matcher, const DeliveredControl& control) {
    return (!matcher.code || *matcher.code == control.control) &&
           (!matcher.eventType || *matcher.eventType == control.eventType) &&
           (!matcher.withData || *matcher.withData == control.hasData) &&
           (!matcher.returned || (control.returned && *matcher.returned == *control.returned));
}

void ControlExpectation::Read(const JsonNode& member, JsonObject& object) {
    JsonObject fields(member);
    parse::Optional(fields, "code", matcher.code,
                    [](const JsonNode& n) { return parse::CodeOrName(n, names::ControlCodes()); });
    parse::Optional(fields, "eventType", matcher.eventType, parse::Dword);
    parse::Optional(fields, "withData", matcher.withData,
                    [](const JsonNode& n) { return n.Bool(); });
    parse::Optional(fields, "returned", matcher.returned, parse::Dword);
    fields.RejectUnknown();
    parse::CountOf(object, count, 0);
}

std::string ControlExpectation::Describe() const {
    std::string text;
    if (matcher.code) {
        const auto name = names::NameOf(names::ControlCodes(), *matcher.code);
        text = name.empty() ? fmt::format("{}", *matcher.code) : std::string(name);
    } else {
        text = "any";
    }
    if (matcher.eventType) {
        text += fmt::format(", event type {}", *matcher.eventType);
    }
    if (matcher.withData) {
        text += *matcher.withData ? ", with data" : ", without data";
    }
    if (matcher.returned) {
        text += fmt::format(", answered {}", *matcher.returned);
    }
    return fmt::format("control {} {}", text, orvhost::Describe(count));
}

void ControlExpectation::Judge(const Snapshot& snapshot, ExpectationResult& result) const {
    judging::JudgeCount(matcher, count, snapshot.controls, result);
}

}  // namespace orvhost
