#include "host/expectations/all_of_expectation.h"

#include "host/expectations/expectation.h"
#include "host/scenario/parser_parts.h"
#include "host/scenario/scenario_validator.h"

namespace orvhost {

void AllOfExpectation::Read(const JsonNode& member, JsonObject&) {
    group = parse::Group(member);
}

std::string AllOfExpectation::Describe() const {
    return fmt::format("all of: {}", fmt::join(MemberNames(group), " & "));
}

void AllOfExpectation::Judge(const Snapshot& snapshot, ExpectationResult& result) const {
    std::vector<std::string> failed;
    for (const Expectation& member : group) {
        const ExpectationResult one = Evaluate(member, snapshot, result.where);
        if (!one.met) {
            failed.push_back(one.name + ": " + one.actual);
        }
    }
    result.met = failed.empty();
    result.actual = fmt::format("not held: {}", fmt::join(failed, "; "));
}

void AllOfExpectation::Validate(const Expectation&, Diagnostics& diagnostics) const {
    for (const Expectation& member : group) {
        validate::One(member, diagnostics);
    }
}

}  // namespace orvhost
