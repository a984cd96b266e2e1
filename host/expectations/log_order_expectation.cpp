#include "host/expectations/log_order_expectation.h"

#include "host/expectations/judging.h"
#include "host/scenario/parser_parts.h"

namespace orvhost {

void LogOrderExpectation::Read(const JsonNode& member, JsonObject&) {
    matchers = parse::ListOf<LogMatcher>(
        member, [](const JsonNode& n) { return std::optional<LogMatcher>(parse::Log(n)); });
}

std::string LogOrderExpectation::Describe() const {
    return "log in order: " + judging::ListDescription(matchers);
}

void LogOrderExpectation::Judge(const Snapshot& snapshot, ExpectationResult& result) const {
    const auto [missing, last] = judging::InOrder(matchers, snapshot.lines);
    result.met = missing == matchers.size();
    if (result.met) {
        return;
    }
    const LogMatcher& absent = matchers[missing];
    const bool anywhere = std::any_of(snapshot.lines.begin(), snapshot.lines.end(),
                                      [&](const LogLine& l) { return Matches(absent, l); });
    result.actual =
        fmt::format("{} {}", orvhost::Describe(absent),
                    missing == 0 ? "never logged"
                    : anywhere ? "logged, but not after " + orvhost::Describe(matchers[missing - 1])
                               : "never logged");
    result.context = NearestLines(snapshot.lines, absent.text);
}

}  // namespace orvhost
