#include "host/expectations/status_report_expectation.h"

#include "host/expectations/judging.h"
#include "host/scenario/parser_parts.h"

namespace orvhost {

void StatusReportExpectation::Read(const JsonNode& member, JsonObject& object) {
    matcher = parse::Status(member).value_or(StatusMatcher{});
    parse::CountOf(object, count, 0);
}

std::string StatusReportExpectation::Describe() const {
    return fmt::format("status report {} {}", orvhost::Describe(matcher), orvhost::Describe(count));
}

void StatusReportExpectation::Judge(const Snapshot& snapshot, ExpectationResult& result) const {
    judging::JudgeCount(matcher, count, judging::Statuses(snapshot), result);
    judging::AddContext(snapshot, judging::kStatusHint, result);
}

}  // namespace orvhost
