// docs/scenarios.md must match the program: every JSON example in it loads, and every step
// kind it documents is one the program knows.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "manual_examples.h"
#include "scenario_text.h"

namespace orvhost {
namespace {

using orvtest::ManualExample;
using ::testing::IsEmpty;

class DocumentationTest : public ::testing::Test {
  protected:
    // The example inside the smallest scenario that can hold it.
    static std::string AsScenario(const ManualExample& example) {
        if (example.tag == "machine" || example.tag == "client") {
            return testing_text::Top("\"" + example.tag + "\": " + example.text);
        }
        return example.tag == "scenario" ? example.text
               : example.tag == "step"   ? testing_text::Steps(example.text)
                                         : testing_text::Expect(example.text);
    }
};

TEST_F(DocumentationTest, EveryJsonExampleLoads) {
    const std::vector<ManualExample> examples = orvtest::ManualExamples();
    EXPECT_GE(examples.size(), 30u) << "the reference lost its examples";
    for (const ManualExample& example : examples) {
        ASSERT_THAT(
            (std::vector<std::string>{"scenario", "machine", "client", "step", "expectation"}),
            testing::Contains(example.tag))
            << "line " << example.line;
        const LoadResult result = LoadScenarioText(
            AsScenario(example), "docs/scenarios.md:" + std::to_string(example.line));
        EXPECT_THAT(result.errors, IsEmpty());
    }
}

TEST_F(DocumentationTest, EveryDocumentedStepKindIsKnown) {
    const std::string document = orvtest::ManualText();
    const std::string timeline =
        document.substr(document.find("\n## Timeline"),
                        document.find("\n## Conditions") - document.find("\n## Timeline"));
    const std::regex heading(R"(\n### (\w+)\n)");
    int kinds = 0;
    for (std::sregex_iterator it(timeline.begin(), timeline.end(), heading), end; it != end; ++it) {
        const std::string kind = (*it)[1];
        const LoadResult result =
            LoadScenarioText(R"({"timeline": [{"do": ")" + kind + R"("}]})", kind);
        for (const std::string& error : result.errors) {
            EXPECT_THAT(error, testing::Not(testing::HasSubstr(".do: expected one of"))) << kind;
        }
        ++kinds;
    }
    EXPECT_EQ(kinds, 17) << "one heading per kind of step";
}

}  // namespace
}  // namespace orvhost
