#pragma once
// Bus publications counted.

#include "host/expectations/expectation_kind.h"

namespace orvhost {

struct PublicationExpectation {
    static constexpr std::string_view kName = "publication";
    PublicationMatcher matcher;
    CountRange count;

    void Read(const JsonNode& member, JsonObject& object);
    std::string Describe() const;
    void Judge(const Snapshot& snapshot, ExpectationResult& result) const;
};

}  // namespace orvhost
