#pragma once
// Traced calls in this order.

#include "host/expectations/expectation_kind.h"

namespace orvhost {

struct CallsExpectation {
    static constexpr std::string_view kName = "calls";
    std::vector<CallMatcher> matchers;

    void Read(const JsonNode& member, JsonObject& object);
    std::string Describe() const;
    void Judge(const Snapshot& snapshot, ExpectationResult& result) const;
};

}  // namespace orvhost
