// The figures, the summary and the JSON report of a run, from made-up results.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "host/report_writer.h"
#include "host/run_facts.h"
#include "host/run_summary.h"
#include "winapi/sim/control.h"

namespace orvhost {
namespace {

using std::chrono::milliseconds;
using ::testing::HasSubstr;

class RunReportTest : public ::testing::Test {
  protected:
    void SetUp() override { winsim::ResetMachine(); }

    void Line(std::int64_t at, const std::string& message, LogLevel level = LogLevel::kDebug) {
        auto& lines = result_.evidence.lines;
        lines.push_back(LogLine{lines.size(), level, 3, message, milliseconds(at)});
    }

    static std::optional<std::int64_t> Ms(const RunFacts& facts, const std::string& phase) {
        for (const Phase& p : facts.phases) {
            if (p.name == phase && p.length) {
                return p.length->count();
            }
        }
        return std::nullopt;
    }

    RunResult result_;
};

TEST_F(RunReportTest, PhasesComeFromTheEntryPointsAndTheLog) {
    result_.evidence.entryCalls = {
        {"OnStart", 2, milliseconds(100), milliseconds(1100), std::nullopt, false},
        {"OnStop", 1, milliseconds(5000), milliseconds(7000), std::nullopt, false},
        {"OnStart", 2, milliseconds(8000), milliseconds(9000), std::nullopt, false},
        {"OnStop", 1, milliseconds(9500), milliseconds(12000), std::nullopt, false}};
    Line(900, "OrvClientService::OrvWorkerThread: Waiting on service stop event");
    Line(1300, "OrvClientService::OrvWorkerThread: Waiting on service stop event");
    Line(5001, "OrvClientService::Cleanup: Enter");
    Line(5031, "OrvClientService::Cleanup: Exit");
    Line(5040, "OrvClientService::Cleanup: Something", LogLevel::kError);
    const RunFacts facts = GatherFacts(result_);
    EXPECT_EQ(Ms(facts, "OnStart returned after"), 1000) << "the first start";
    EXPECT_EQ(Ms(facts, "time to full initialisation"), 800)
        << "the first full initialisation after it";
    EXPECT_EQ(Ms(facts, "time to stop"), 2500) << "the last stop";
    EXPECT_EQ(Ms(facts, "cleanup"), 30);
    EXPECT_FALSE(Ms(facts, "agents taken down").has_value());
    EXPECT_EQ(facts.errorLines, 1);
    EXPECT_EQ(facts.startupConfiguration, "service not installed");
}

TEST_F(RunReportTest, ControlsPublicationsAndTheStartupConfigurationAreNamed) {
    winsim::services::ServiceConfig config;
    config.startType = SERVICE_AUTO_START;
    config.delayedAutoStart = true;
    winsim::services::Install(L"ORVService", config);
    result_.evidence.controls = {{14, 5, true, 1, milliseconds(0)},
                                 {14, 6, false, 1, milliseconds(0)},
                                 {15, 0, false, 1, milliseconds(0)},
                                 {999, 0, false, 1, milliseconds(0)}};
    orvsim::Publication refused;
    refused.topicId = 13;
    refused.accepted = false;
    result_.evidence.publications.push_back(refused);
    const RunFacts facts = GatherFacts(result_);
    EXPECT_EQ(facts.controls, (std::vector<std::string>{"14/5 sessionChange logon",
                                                        "14/6 sessionChange logoff (no data)",
                                                        "15 preshutdown", "999"}));
    EXPECT_EQ(facts.publications, std::vector<std::string>{"(13,0) refused"});
    EXPECT_EQ(facts.startupConfiguration, "Start=2 (automatic, delayed), DelayedAutostart=1");
}

TEST_F(RunReportTest, TheSummaryShowsWhatFailedWithItsContext) {
    result_.name = "n";
    result_.file = "f.json";
    StepOutcome failed;
    failed.name = "wait for it";
    failed.finished = true;
    failed.detail = "no log \"x\" within 5 ms (found 0)";
    failed.context = {"#4 +1 ms debug [tid 3] nearest"};
    StepOutcome hung;
    hung.name = "stop the service";
    result_.steps = {failed, hung};
    result_.expectations = {
        ExpectationResult{"log \"y\" present",
                          "$.expect[0]",
                          "end of run",
                          false,
                          "0 times",
                          {"#2 +1 ms debug [tid 3] near y"}},
        ExpectationResult{"ok one", "$.expect[1]", "step \"c\" ($.timeline[1])", true, "", {}}};
    result_.hung = "step \"stop the service\" did not finish within its time-out";
    const std::string summary = FormatRunSummary(result_);
    EXPECT_THAT(summary, HasSubstr("orvhost summary: n (f.json)"));
    EXPECT_THAT(
        summary,
        HasSubstr("FAIL wait for it (no log \"x\" within 5 ms (found 0))\n           #4 +1 ms"));
    EXPECT_THAT(summary, HasSubstr("HUNG stop the service"));
    EXPECT_THAT(
        summary,
        HasSubstr("NOT MET  log \"y\" present\n             found: 0 times\n"
                  "             nearest log lines:\n               #2 +1 ms debug [tid 3] near y"));
    EXPECT_THAT(summary, HasSubstr("met      ok one  [at step \"c\" ($.timeline[1])]"));
    EXPECT_THAT(summary,
                HasSubstr("result                       FAILED: step \"stop the service\""));

    const Json::Value report = ReportJson(result_);
    EXPECT_EQ(report["result"].asString(), "failed");
    EXPECT_EQ(report["exitCode"].asInt(), 1);
    EXPECT_EQ(report["steps"][1]["result"].asString(), "hung");
    EXPECT_TRUE(report["steps"][1]["endedMs"].isNull());
    EXPECT_EQ(report["expectations"][0]["context"][0].asString(), "#2 +1 ms debug [tid 3] near y");

    // A run that could not be carried out is an error, whatever else failed.
    result_.error = "the arrangement could not be made: no";
    EXPECT_EQ(result_.ExitCode(), 2);
    EXPECT_EQ(ReportJson(result_)["result"].asString(), "error");
    EXPECT_THAT(FormatRunSummary(result_),
                HasSubstr("could not run: the arrangement could not be made"));
}

}  // namespace
}  // namespace orvhost
