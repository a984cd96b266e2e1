#include "host/expectations/calls_expectation.h"

#include "host/expectations/judging.h"
#include "host/scenario/parser_parts.h"

namespace orvhost {

void CallsExpectation::Read(const JsonNode& member, JsonObject&) {
    matchers = parse::ListOf<CallMatcher>(
        member, [](const JsonNode& n) { return std::optional<CallMatcher>(parse::Call(n)); });
}

std::string CallsExpectation::Describe() const {
    return "calls in order: " + judging::ListDescription(matchers);
}

void CallsExpectation::Judge(const Snapshot& snapshot, ExpectationResult& result) const {
    judging::JudgeOrder(matchers, false, snapshot.calls, result);
}

}  // namespace orvhost
