#pragma once
// Bus publications in this order (or exactly these).

#include "host/expectations/expectation_kind.h"

namespace orvhost {

struct PublicationsExpectation {
    static constexpr std::string_view kName = "publications";
    std::vector<PublicationMatcher> matchers;
    bool exactly = false;  // the whole record must equal the list

    void Read(const JsonNode& member, JsonObject& object);
    std::string Describe() const;
    void Judge(const Snapshot& snapshot, ExpectationResult& result) const;
};

}  // namespace orvhost
