#include "host/expectations/expectation.h"

namespace orvhost {

ExpectationResult Evaluate(const Expectation& e, const Snapshot& snapshot,
                           const std::string& where) {
    ExpectationResult result;
    result.name = e.name.empty() ? DescribeExpectation(e) : e.name;
    result.path = e.path;
    result.where = where;
    std::visit([&](const auto& kind) { kind.Judge(snapshot, result); }, e.what);
    return result;
}

std::string DescribeExpectation(const Expectation& e) {
    return std::visit([](const auto& kind) { return kind.Describe(); }, e.what);
}

std::vector<std::string> MemberNames(const std::vector<Expectation>& group) {
    std::vector<std::string> texts;
    texts.reserve(group.size());
    for (const Expectation& member : group) {
        texts.push_back(member.name.empty() ? DescribeExpectation(member) : member.name);
    }
    return texts;
}

}  // namespace orvhost
