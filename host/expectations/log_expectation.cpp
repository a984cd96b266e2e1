#include "host/expectations/log_expectation.h"

#include "host/expectations/judging.h"
#include "host/scenario/parser_parts.h"

namespace orvhost {

void LogExpectation::Read(const JsonNode& member, JsonObject& object) {
    matcher = parse::Log(member);
    parse::CountOf(object, count, 0);
}

std::string LogExpectation::Describe() const {
    return fmt::format("log {} {}", orvhost::Describe(matcher), orvhost::Describe(count));
}

// An unmet presence shows the lines most like the one looked for; an unmet absence (or
// upper bound) shows the lines that were there.
void LogExpectation::Judge(const Snapshot& snapshot, ExpectationResult& result) const {
    judging::JudgeCount(matcher, count, snapshot.lines, result);
    if (!result.met && count.min > 0) {
        result.context = NearestLines(snapshot.lines, matcher.text);
    } else if (!result.met) {
        for (const LogLine& line : snapshot.lines) {
            if (Matches(matcher, line) && result.context.size() < 5) {
                result.context.push_back(FormatLine(line));
            }
        }
    }
}

}  // namespace orvhost
