#pragma once
// The JSON examples of the scenario manual (docs/scenarios.md), each a block opened by
// "```json <tag>": the documentation test loads them, the hostile-timeline test builds from them.

#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace orvtest {

struct ManualExample {
    std::string tag;  // what the block holds: scenario, machine, client, step, expectation
    std::string text;
    int line = 0;  // of the opening fence
};

inline std::string ManualText() {
    std::ifstream in(ORV_MANUAL_PATH);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline std::vector<ManualExample> ManualExamples() {
    std::vector<ManualExample> examples;
    std::istringstream lines(ManualText());
    std::optional<ManualExample> open;
    int number = 0;
    for (std::string line; std::getline(lines, line);) {
        ++number;
        if (open && line == "```") {
            examples.push_back(std::move(*open));
            open.reset();
        } else if (open) {
            open->text += line + "\n";
        } else if (line.starts_with("```json ")) {
            open = ManualExample{line.substr(8), "", number};
        }
    }
    return examples;
}

}  // namespace orvtest
