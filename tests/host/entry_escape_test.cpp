// Exceptions that escape the service's entry points: the host contains them, reports them
// and fails the run unless the scenario expects them. One scenario per test: the library
// keeps per-process state.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "host/scenario_parser.h"
#include "host/scenario_runner.h"

namespace orvhost {
namespace {

using ::testing::HasSubstr;
using ::testing::IsEmpty;

class EntryEscapeTest : public ::testing::Test {
  protected:
    static RunResult Run(std::string_view text) {
        LoadResult loaded = LoadScenarioText(text, "test.json");
        EXPECT_THAT(loaded.errors, IsEmpty());
        RunOptions options;
        options.streamLog = false;
        options.logDirectory = testing::TempDir();
        return RunScenario(loaded.scenario.value_or(Scenario{}), options);
    }

    static const StepOutcome* Failed(const RunResult& result) {
        const auto found = std::find_if(result.steps.begin(), result.steps.end(),
                                        [](const StepOutcome& step) { return !step.ok; });
        return found == result.steps.end() ? nullptr : &*found;
    }
};

TEST_F(EntryEscapeTest, AnUnexpectedEscapeFromOnStartFailsTheRunWithItsText) {
    const RunResult result = Run(R"({
      "machine": {"clockScale": 20},
      "client": {"throws": [{"call": "ORV::DatabaseManager::GetInstance", "exception": "runtime_error"}]},
      "timeline": [{"do": "start"}, {"do": "stop"}]})");
    EXPECT_EQ(result.ExitCode(), 1);
    EXPECT_FALSE(result.error.has_value());
    const StepOutcome* failed = Failed(result);
    ASSERT_NE(failed, nullptr);
    EXPECT_EQ(failed->name, "OnStart (on its start thread)");
    EXPECT_EQ(failed->detail,
              "OnStart let an exception escape: std::runtime_error: arranged failure of "
              "ORV::DatabaseManager::GetInstance");
}

TEST_F(EntryEscapeTest, AnExpectedEscapeThatDoesNotComeFailsTheStep) {
    const RunResult result = Run(R"({
      "machine": {"clockScale": 20},
      "timeline": [{"do": "start", "escapes": "runtime_error"}, {"do": "stop"}]})");
    EXPECT_EQ(result.ExitCode(), 1);
    const StepOutcome* failed = Failed(result);
    ASSERT_NE(failed, nullptr);
    EXPECT_EQ(failed->path, "$.timeline[0]");
    EXPECT_THAT(failed->detail, HasSubstr("OnStart was expected to let std::runtime_error "
                                          "escape, but returned normally"));
}

TEST_F(EntryEscapeTest, AnEscapeOfAnotherKindThanExpectedFailsTheStep) {
    const RunResult result = Run(R"({
      "machine": {"clockScale": 20},
      "client": {"throws": [{"call": "ORVCore::OnServiceStop", "exception": "runtime_error"}]},
      "timeline": [
        {"do": "start", "until": {"log": "OrvClientService::OrvWorkerThread: Waiting on service stop event"}},
        {"do": "stop", "escapes": "bad_array_new_length"}]})");
    EXPECT_EQ(result.ExitCode(), 1);
    const StepOutcome* failed = Failed(result);
    ASSERT_NE(failed, nullptr);
    EXPECT_EQ(failed->path, "$.timeline[1]");
    EXPECT_EQ(failed->detail,
              "OnStop was expected to let std::bad_array_new_length escape, but let escape "
              "std::runtime_error: arranged failure of ORVCore::OnServiceStop");
}

}  // namespace
}  // namespace orvhost
