#include "host/expectations/any_of_expectation.h"

#include "host/expectations/expectation.h"
#include "host/scenario/parser_parts.h"
#include "host/scenario/scenario_validator.h"

namespace orvhost {

void AnyOfExpectation::Read(const JsonNode& member, JsonObject&) {
    group = parse::Group(member);
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

void AnyOfExpectation::Validate(const Expectation&, Diagnostics& diagnostics) const {
    for (const Expectation& alternative : group) {
        validate::One(alternative, diagnostics);
    }
}

}  // namespace orvhost
