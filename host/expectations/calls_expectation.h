#pragma once
// Traced calls in this order.

#include <string>
#include <string_view>
#include <vector>

#include "host/scenario/scenario_model.h"

namespace orvhost {

class JsonNode;
class JsonObject;
struct ExpectationResult;
struct Snapshot;

struct CallsExpectation {
    static constexpr std::string_view kName = "calls";
    std::vector<CallMatcher> matchers;

    // `member` is its key's value; `object` holds the keys it shares ("count", ...).
    void Read(const JsonNode& member, JsonObject& object);
    std::string Describe() const;
    void Judge(const Snapshot& snapshot, ExpectationResult& result) const;
};

}  // namespace orvhost
