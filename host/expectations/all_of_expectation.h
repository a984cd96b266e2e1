#pragma once
// Every one of several expectations (an alternative of an anyOf).

#include <string>
#include <string_view>
#include <vector>

#include "host/scenario/scenario_model.h"

namespace orvhost {

class Diagnostics;
class JsonNode;
class JsonObject;
struct Expectation;
struct ExpectationResult;
struct Snapshot;

struct AllOfExpectation {
    static constexpr std::string_view kName = "allOf";
    std::vector<Expectation> group;

    // `member` is its key's value; `object` holds the keys it shares ("count", ...).
    void Read(const JsonNode& member, JsonObject& object);
    std::string Describe() const;
    void Judge(const Snapshot& snapshot, ExpectationResult& result) const;
    // Cross-checks that reading one object cannot make.
    void Validate(const Expectation& expectation, Diagnostics& diagnostics) const;
};

}  // namespace orvhost
