// orvhost's command line: exit statuses and what it says about files it will not run.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <json/reader.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "host/cli.h"

namespace orvhost {
namespace {

using ::testing::HasSubstr;

class CliTest : public ::testing::Test {
  protected:
    static int Run(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), "orvhost");
        std::vector<char*> argv;
        for (std::string& argument : arguments) {
            argv.push_back(argument.data());
        }
        return RunCommandLine(static_cast<int>(argv.size()), argv.data());
    }

    static std::string File(const std::string& name, const std::string& text) {
        const std::string path = testing::TempDir() + name;
        std::ofstream(path) << text;
        return path;
    }
};

TEST_F(CliTest, CheckValidatesEveryFileAndRunsNothing) {
    const std::string good = File("good.json", R"({"timeline": [{"do": "start"}]})");
    const std::string bad = File("bad.json", R"({"timeline": [{"do": "strat"}]})");

    testing::internal::CaptureStdout();
    EXPECT_EQ(Run({"check", good}), 0);
    EXPECT_THAT(testing::internal::GetCapturedStdout(),
                HasSubstr("good.json: ok (1 steps, 0 expectations)"));

    const std::string deep = File("deep.json", std::string(1001, '[') + std::string(1001, ']'));
    testing::internal::CaptureStderr();
    EXPECT_EQ(Run({"check", good, bad, testing::TempDir() + "missing.json", deep}), 2);
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_THAT(errors, HasSubstr("bad.json: $.timeline[0].do: expected one of \"start\""));
    EXPECT_THAT(errors, HasSubstr("missing.json: cannot be read"));
    EXPECT_THAT(errors, HasSubstr("deep.json: JSON syntax: nested more than"));
}

TEST_F(CliTest, HelpSucceedsAndAMalformedCommandLineCannotRun) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(Run({"--help"}), 0);
    EXPECT_EQ(Run({"run", "--help"}), 0);
    EXPECT_THAT(testing::internal::GetCapturedStdout(), HasSubstr("--timeline"));

    testing::internal::CaptureStderr();
    EXPECT_EQ(Run({}), 2) << "a command is required";
    EXPECT_EQ(Run({"run", "--bogus"}), 2);
    EXPECT_EQ(Run({"run", testing::TempDir() + "no-such-file.json"}), 2);
    EXPECT_EQ(Run({"run", "--clock-scale", "0"}), 2);
    EXPECT_EQ(Run({"check"}), 2) << "check needs a file";
    testing::internal::GetCapturedStderr();
}

TEST_F(CliTest, AnInvalidScenarioIsNotRunAndItsReportSaysWhy) {
    const std::string bad =
        File("invalid.json", R"({"timeline": [{"do": "start", "delayMs": -1}]})");
    const std::string report = testing::TempDir() + "invalid-report.json";
    testing::internal::CaptureStderr();
    EXPECT_EQ(Run({"run", "-q", bad, "--report", report}), 2);
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_THAT(
        errors,
        HasSubstr("$.timeline[0].delayMs: expected an integer from 0 to 1000000000, found -1"));
    EXPECT_THAT(errors, HasSubstr("nothing was run"));

    Json::Value written;
    std::ifstream in(report);
    ASSERT_TRUE(Json::parseFromStream(Json::CharReaderBuilder(), in, &written, nullptr));
    EXPECT_EQ(written["result"].asString(), "invalid");
    EXPECT_EQ(written["exitCode"].asInt(), 2);
    ASSERT_EQ(written["errors"].size(), 1u);
    EXPECT_THAT(written["errors"][0].asString(), HasSubstr("$.timeline[0].delayMs"));
}

}  // namespace
}  // namespace orvhost
