#pragma once
// Bus publications in this order (or exactly these).

#include <string>
#include <string_view>
#include <vector>

#include "host/scenario/scenario_model.h"

namespace orvhost {

class JsonNode;
class JsonObject;
struct ExpectationResult;
struct Snapshot;

struct PublicationsExpectation {
    static constexpr std::string_view kName = "publications";
    std::vector<PublicationMatcher> matchers;
    bool exactly = false;  // the whole record must equal the list

    // `member` is its key's value; `object` holds the keys it shares ("count", ...).
    void Read(const JsonNode& member, JsonObject& object);
    std::string Describe() const;
    void Judge(const Snapshot& snapshot, ExpectationResult& result) const;
};

}  // namespace orvhost
