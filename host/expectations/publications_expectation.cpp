#include "host/expectations/publications_expectation.h"

#include "host/expectations/judging.h"
#include "host/scenario/parser_parts.h"

namespace orvhost {

void PublicationsExpectation::Read(const JsonNode& member, JsonObject& object) {
    matchers = parse::ListOf<PublicationMatcher>(member, [](const JsonNode& n) {
        return std::optional<PublicationMatcher>(parse::Publication(n));
    });
    parse::Exactly(object, exactly);
}

std::string PublicationsExpectation::Describe() const {
    return fmt::format("publications {}: {}", exactly ? "exactly" : "in order",
                       judging::ListDescription(matchers));
}

void PublicationsExpectation::Judge(const Snapshot& snapshot, ExpectationResult& result) const {
    judging::JudgeOrder(matchers, exactly, snapshot.publications, result);
    judging::AddContext(snapshot, judging::kPublicationHint, result);
}

}  // namespace orvhost
