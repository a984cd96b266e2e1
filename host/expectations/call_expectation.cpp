#include "host/expectations/call_expectation.h"

#include "host/expectations/judging.h"
#include "host/scenario/parser_parts.h"

namespace orvhost {

void CallExpectation::Read(const JsonNode& member, JsonObject& object) {
    matcher = parse::Call(member);
    parse::CountOf(object, count, 0);
}

std::string CallExpectation::Describe() const {
    return fmt::format("call {} {}", orvhost::Describe(matcher), orvhost::Describe(count));
}

void CallExpectation::Judge(const Snapshot& snapshot, ExpectationResult& result) const {
    judging::JudgeCount(matcher, count, snapshot.calls, result);
}

}  // namespace orvhost
