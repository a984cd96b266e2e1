#include "host/expectations/group_expectations.h"

#include "host/expectations/expectation.h"
#include "host/scenario/parser_parts.h"
#include "host/scenario/scenario_validator.h"

namespace orvhost {

void ExpectationGroup::Read(const JsonNode& member, JsonObject&) {
    group = parse::Group(member);
}

void ExpectationGroup::Validate(const Expectation&, Diagnostics& diagnostics) const {
    for (const Expectation& member : group) {
        validate::One(member, diagnostics);
    }
}

std::string AnyOfExpectation::Describe() const {
    return fmt::format("any of: {}", fmt::join(MemberNames(group), " | "));
}

void AnyOfExpectation::Judge(const Snapshot& snapshot, ExpectationResult& result) const {
    std::vector<std::string> alternatives;
    for (const Expectation& alternative : group) {
        const ExpectationResult one = Evaluate(alternative, snapshot, result.where);
        result.met = result.met || one.met;
        alternatives.push_back(one.name + ": " + one.actual);
    }
    result.actual = fmt::format("none held ({})", fmt::join(alternatives, "; "));
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

}  // namespace orvhost
