#pragma once
// Log lines in this order.

#include "host/expectations/expectation_kind.h"

namespace orvhost {

struct LogOrderExpectation {
    static constexpr std::string_view kName = "logOrder";
    std::vector<LogMatcher> matchers;

    void Read(const JsonNode& member, JsonObject& object);
    std::string Describe() const;
    void Judge(const Snapshot& snapshot, ExpectationResult& result) const;
};

}  // namespace orvhost
