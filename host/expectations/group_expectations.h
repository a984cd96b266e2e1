#pragma once
// Expectations made of other expectations: anyOf (at least one holds; for races with more
// than one valid outcome) and allOf (every one holds; one alternative of an anyOf out of
// several facts). They read and check their members alike and differ in how they judge.

#include "host/expectations/expectation_kind.h"

namespace orvhost {

struct ExpectationGroup {
    std::vector<Expectation> group;

    void Read(const JsonNode& member, JsonObject& object);
    void Validate(const Expectation& expectation, Diagnostics& diagnostics) const;
};

struct AnyOfExpectation : ExpectationGroup {
    static constexpr std::string_view kName = "anyOf";

    std::string Describe() const;
    void Judge(const Snapshot& snapshot, ExpectationResult& result) const;
};

struct AllOfExpectation : ExpectationGroup {
    static constexpr std::string_view kName = "allOf";

    std::string Describe() const;
    void Judge(const Snapshot& snapshot, ExpectationResult& result) const;
};

}  // namespace orvhost
