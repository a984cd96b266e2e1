#pragma once
// SetServiceStatus reports in this order (or exactly these).

#include <string>
#include <string_view>
#include <vector>

#include "host/scenario/scenario_model.h"

namespace orvhost {

class JsonNode;
class JsonObject;
struct ExpectationResult;
struct Snapshot;

struct StatusReportsExpectation {
    static constexpr std::string_view kName = "statusReports";
    std::vector<StatusMatcher> matchers;
    bool exactly = false;

    // `member` is its key's value; `object` holds the keys it shares ("count", ...).
    void Read(const JsonNode& member, JsonObject& object);
    std::string Describe() const;
    void Judge(const Snapshot& snapshot, ExpectationResult& result) const;
};

}  // namespace orvhost
