#pragma once
// Log lines counted (present, absent, exactly n, a range).

#include "host/expectations/expectation_kind.h"

namespace orvhost {

struct LogExpectation {
    static constexpr std::string_view kName = "log";
    LogMatcher matcher;
    CountRange count;

    void Read(const JsonNode& member, JsonObject& object);
    std::string Describe() const;
    void Judge(const Snapshot& snapshot, ExpectationResult& result) const;
};

}  // namespace orvhost
