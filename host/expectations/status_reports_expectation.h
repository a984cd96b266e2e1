#pragma once
// SetServiceStatus reports in this order (or exactly these).

#include "host/expectations/expectation_kind.h"

namespace orvhost {

struct StatusReportsExpectation {
    static constexpr std::string_view kName = "statusReports";
    std::vector<StatusMatcher> matchers;
    bool exactly = false;

    void Read(const JsonNode& member, JsonObject& object);
    std::string Describe() const;
    void Judge(const Snapshot& snapshot, ExpectationResult& result) const;
};

}  // namespace orvhost
