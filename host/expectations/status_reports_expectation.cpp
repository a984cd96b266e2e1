#include "host/expectations/status_reports_expectation.h"

#include "host/expectations/judging.h"
#include "host/scenario/parser_parts.h"

namespace orvhost {

void StatusReportsExpectation::Read(const JsonNode& member, JsonObject& object) {
    matchers = parse::ListOf<StatusMatcher>(member, parse::Status);
    parse::Exactly(object, exactly);
}

std::string StatusReportsExpectation::Describe() const {
    return fmt::format("status reports {}: {}", exactly ? "exactly" : "in order",
                       judging::ListDescription(matchers));
}

void StatusReportsExpectation::Judge(const Snapshot& snapshot, ExpectationResult& result) const {
    judging::JudgeOrder(matchers, exactly, judging::Statuses(snapshot), result);
    judging::AddContext(snapshot, judging::kStatusHint, result);
}

}  // namespace orvhost
