#pragma once
// Small scenario files for the parser tests, and their errors as one text.

#include <string>
#include <string_view>

#include "host/scenario_parser.h"

namespace orvhost::testing_text {

// A scenario whose timeline is `steps`.
inline std::string Steps(std::string_view steps) {
    return R"({"timeline": [)" + std::string(steps) + "]}";
}

// A scenario with the top-level members `members` and a timeline that only starts.
inline std::string Top(std::string_view members) {
    return "{" + std::string(members) + R"(, "timeline": [{"do": "start"}]})";
}

// A scenario that starts and then expects `expectations`.
inline std::string Expect(std::string_view expectations) {
    return Top(R"("expect": [)" + std::string(expectations) + "]");
}

inline LoadResult Load(std::string_view text) {
    return LoadScenarioText(text, "t.json");
}

inline std::string AllErrors(const LoadResult& result) {
    std::string all;
    for (const std::string& error : result.errors) {
        all += error + "\n";
    }
    return all;
}

}  // namespace orvhost::testing_text
