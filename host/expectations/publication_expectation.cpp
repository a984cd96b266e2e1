#include "host/expectations/publication_expectation.h"

#include "host/expectations/judging.h"
#include "host/scenario/parser_parts.h"

namespace orvhost {

void PublicationExpectation::Read(const JsonNode& member, JsonObject& object) {
    matcher = parse::Publication(member);
    parse::CountOf(object, count, 0);
}

std::string PublicationExpectation::Describe() const {
    return fmt::format("publication {} {}", orvhost::Describe(matcher), orvhost::Describe(count));
}

void PublicationExpectation::Judge(const Snapshot& snapshot, ExpectationResult& result) const {
    judging::JudgeCount(matcher, count, snapshot.publications, result);
    judging::AddContext(snapshot, judging::kPublicationHint, result);
}

}  // namespace orvhost
