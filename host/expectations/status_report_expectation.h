#pragma once
// SetServiceStatus reports counted.

#include "host/expectations/expectation_kind.h"

namespace orvhost {

struct StatusReportExpectation {
    static constexpr std::string_view kName = "statusReport";
    StatusMatcher matcher;
    CountRange count;

    void Read(const JsonNode& member, JsonObject& object);
    std::string Describe() const;
    void Judge(const Snapshot& snapshot, ExpectationResult& result) const;
};

}  // namespace orvhost
