// What a run writes out, from made-up results: the figures, the summary, the JSON report and
// the Chrome trace with its tracks, sections, phases and call spans.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "host/report/report_writer.h"
#include "host/report/run_facts.h"
#include "host/report/run_summary.h"
#include "host/report/timeline_writer.h"
#include "winapi/control/machine_control.h"

namespace orvhost {
namespace {

using std::chrono::milliseconds;
using ::testing::HasSubstr;

class RunOutputTest : public ::testing::Test {
  protected:
    void SetUp() override { winsim::ResetMachine(); }

    void ThreadLine(std::uint32_t thread, std::int64_t at, const std::string& message,
                    LogLevel level = LogLevel::kDebug) {
        auto& lines = result_.evidence.lines;
        lines.push_back(LogLine{lines.size(), level, thread, message, milliseconds(at)});
    }

    void Call(std::uint32_t thread, std::int64_t at, const std::string& component,
              const std::string& operation) {
        auto& calls = result_.evidence.calls;
        calls.push_back(
            CallRecord{calls.size() + 1, component, operation, {}, thread, milliseconds(at)});
    }

    static std::optional<std::int64_t> Ms(const RunFacts& facts, const std::string& phase) {
        for (const Phase& p : facts.phases) {
            if (p.name == phase && p.length) {
                return p.length->count();
            }
        }
        return std::nullopt;
    }

    // Every trace event of one phase letter, keyed by "tid:name".
    std::map<std::string, Json::Value> Events(const char* phase) const {
        std::map<std::string, Json::Value> events;
        for (const Json::Value& event : trace_["traceEvents"]) {
            EXPECT_EQ(event["pid"].asInt(), 1);
            EXPECT_TRUE(event.isMember("tid") && event.isMember("ts"));
            if (event["ph"] == phase) {
                events[std::to_string(event["tid"].asUInt()) + ":" + event["name"].asString()] =
                    event;
            }
        }
        return events;
    }

    std::map<std::uint32_t, std::string> TrackNames() const {
        std::map<std::uint32_t, std::string> names;
        for (const Json::Value& event : trace_["traceEvents"]) {
            if (event["ph"] == "M" && event["name"] == "thread_name") {
                names[event["tid"].asUInt()] = event["args"]["name"].asString();
            }
        }
        return names;
    }

    void Write() { trace_ = TimelineJson(result_); }

    RunResult result_;
    Json::Value trace_;
};

TEST_F(RunOutputTest, TheFiguresNamePhasesControlsPublicationsAndTheStartupConfiguration) {
    result_.evidence.entryCalls = {
        {"OnStart", 2, milliseconds(100), milliseconds(1100), std::nullopt, false},
        {"OnStop", 1, milliseconds(5000), milliseconds(7000), std::nullopt, false},
        {"OnStart", 2, milliseconds(8000), milliseconds(9000), std::nullopt, false},
        {"OnStop", 1, milliseconds(9500), milliseconds(12000), std::nullopt, false}};
    ThreadLine(3, 900, "OrvClientService::OrvWorkerThread: Waiting on service stop event");
    ThreadLine(3, 1300, "OrvClientService::OrvWorkerThread: Waiting on service stop event");
    ThreadLine(3, 5001, "OrvClientService::Cleanup: Enter");
    ThreadLine(3, 5031, "OrvClientService::Cleanup: Exit");
    ThreadLine(3, 5040, "OrvClientService::Cleanup: Something", LogLevel::kError);
    result_.evidence.controls = {{14, 5, true, 1, milliseconds(0)},
                                 {14, 6, false, 1, milliseconds(0)},
                                 {15, 0, false, 1, milliseconds(0)},
                                 {999, 0, false, 1, milliseconds(0)}};
    orvsim::Publication refused;
    refused.topicId = 13;
    refused.accepted = false;
    result_.evidence.publications.push_back(refused);
    const RunFacts facts = GatherFacts(result_);
    EXPECT_EQ(Ms(facts, "OnStart returned after"), 1000) << "the first start";
    EXPECT_EQ(Ms(facts, "time to full initialisation"), 800)
        << "the first full initialisation after it";
    EXPECT_EQ(Ms(facts, "time to stop"), 2500) << "the last stop";
    EXPECT_EQ(Ms(facts, "cleanup"), 30);
    EXPECT_FALSE(Ms(facts, "agents taken down").has_value());
    EXPECT_EQ(facts.errorLines, 1);
    EXPECT_EQ(facts.controls, (std::vector<std::string>{"14/5 sessionChange logon",
                                                        "14/6 sessionChange logoff (no data)",
                                                        "15 preshutdown", "999"}));
    EXPECT_EQ(facts.publications, std::vector<std::string>{"(13,0) refused"});
    EXPECT_EQ(facts.startupConfiguration, "service not installed");

    winsim::services::ServiceConfig config;
    config.startType = SERVICE_AUTO_START;
    config.delayedAutoStart = true;
    winsim::services::Install(L"ORVService", config);
    EXPECT_EQ(GatherFacts(result_).startupConfiguration,
              "Start=2 (automatic, delayed), DelayedAutostart=1");
}

TEST_F(RunOutputTest, TheSummaryShowsWhatFailedWithItsContext) {
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

TEST_F(RunOutputTest, TheTimelineNestsSectionsPhasesCallsAndStepsOnTheirThreads) {
    ThreadLine(5, 0, "OrvClientService::OrvWorkerThread: Start");
    ThreadLine(
        6, 5,
        "OrvClientService::OnORVNotification: Notification received; topicID: 4, eventState: 19");
    ThreadLine(5, 20, "OrvClientService::OrvWorkerThread: Waiting for FullInit event");
    ThreadLine(5, 500, "OrvClientService::OrvWorkerThread: FullInit event signaled");
    ThreadLine(5, 600, "OrvClientService::OrvWorkerThread: Exit");
    ThreadLine(5, 700, "OrvClientService::OrvWorkerThread: after the section");
    ThreadLine(5, 900, "OrvClientService::OrvWorkerThread: later still");
    Call(9, 100, "DeployAgent", "UnInit");
    Call(8, 150, "MDMAgent", "UnInit");
    Call(9, 300, "DeployAgent", "UnInitDone");
    Call(7, 310, "MDMAgent", "UnInitDone");  // another thread: not the end of thread 8's call
    Call(4, 320, "EventManager", "OnServiceControl");
    result_.name = "n";
    result_.timelineThread = 1;
    result_.evidence.entryCalls.push_back(
        {"OnStart", 2, milliseconds(10), milliseconds(1010), std::nullopt, false});
    result_.evidence.entryCalls.push_back(
        {"OnStop", 1, milliseconds(2000), std::nullopt, std::nullopt, false});
    result_.evidence.controls.push_back({220, 0, false, 1, milliseconds(1500)});
    StepOutcome step;
    step.name = "start";
    step.finished = true;
    step.threadId = 1;
    step.began = milliseconds(10);
    step.ended = milliseconds(1200);
    result_.steps.push_back(step);
    Write();

    const auto spans = Events("X");
    ASSERT_TRUE(spans.contains("5:worker thread"));
    EXPECT_EQ(spans.at("5:worker thread")["ts"].asInt64(), 0);
    EXPECT_EQ(spans.at("5:worker thread")["dur"].asInt64(), 600000);
    ASSERT_TRUE(spans.contains("5:Waiting for FullInit event"));
    EXPECT_EQ(spans.at("5:Waiting for FullInit event")["ts"].asInt64(), 20000);
    EXPECT_EQ(spans.at("5:Waiting for FullInit event")["dur"].asInt64(), 480000);
    EXPECT_FALSE(spans.contains("5:after the section")) << "no phases outside a section";
    int lineMarks = 0;
    for (const auto& [key, mark] : Events("i")) {
        lineMarks += key.starts_with("5:") || key.starts_with("6:") ? 1 : 0;
    }
    EXPECT_EQ(lineMarks, 7) << "a mark for every line";
    for (const auto& [key, span] : spans) {
        EXPECT_THAT(key, testing::Not(testing::StartsWith("6:")))
            << "the bus thread has no section";
    }
    ASSERT_TRUE(spans.contains("9:DeployAgent UnInit"));
    EXPECT_EQ(spans.at("9:DeployAgent UnInit")["dur"].asInt64(), 200000);
    EXPECT_FALSE(spans.contains("8:MDMAgent UnInit"));
    EXPECT_FALSE(spans.contains("7:MDMAgent UnInit"));
    EXPECT_EQ(spans.at("2:OnStart")["dur"].asInt64(), 1000000);
    EXPECT_FALSE(spans.contains("1:OnStop")) << "an entry point that never returned has no end";
    EXPECT_EQ(spans.at("1:start")["dur"].asInt64(), 1190000);
    EXPECT_TRUE(Events("i").contains("1:control 220 maintenance"));
    const auto tracks = TrackNames();
    EXPECT_EQ(tracks.at(5), "worker thread");
    EXPECT_EQ(tracks.at(6), "bus delivery");
    EXPECT_EQ(tracks.at(9), "uninit DeployAgent");
    EXPECT_EQ(tracks.at(4), "control pool");
    EXPECT_EQ(tracks.at(7), "thread 7");
    EXPECT_EQ(tracks.at(1), "orvhost timeline");
    EXPECT_EQ(tracks.at(2), "host: OnStart (service start)");
}

}  // namespace
}  // namespace orvhost
