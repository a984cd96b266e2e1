#pragma once
// Traced calls counted.

#include "host/expectations/expectation_kind.h"

namespace orvhost {

struct CallExpectation {
    static constexpr std::string_view kName = "call";
    CallMatcher matcher;
    CountRange count;

    void Read(const JsonNode& member, JsonObject& object);
    std::string Describe() const;
    void Judge(const Snapshot& snapshot, ExpectationResult& result) const;
};

}  // namespace orvhost
