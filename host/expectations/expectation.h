#pragma once
// One expectation of a scenario: its name, where it is in the file, and its kind
// (expectation_table.h); judging and describing it at the end of a run or at a "check" step.

#include <string>

#include "host/expectations/expectation_table.h"
#include "host/expectations/judging.h"

namespace orvhost {

struct Expectation {
    std::string name;  // shown in the summary; generated when the file gives none
    std::string path;  // JSON path in the file, for messages
    Expected what;

    // The expectation's kind-specific part when it is of that kind, else null.
    template <class Kind>
    const Kind* As() const {
        return std::get_if<Kind>(&what);
    }
};

ExpectationResult Evaluate(const Expectation& expectation, const Snapshot& snapshot,
                           const std::string& where);

// What the expectation asks for, in words ("log "..." present").
std::string DescribeExpectation(const Expectation& expectation);

// The expectations' names as a group's description lists them.
std::vector<std::string> MemberNames(const std::vector<Expectation>& group);

}  // namespace orvhost
