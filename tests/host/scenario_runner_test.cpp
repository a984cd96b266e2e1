// Running scenarios against the service on the simulated machine, and orvhost's command line.
// The library keeps per-process state, so each test runs one scenario (CTest runs each test in
// a process of its own).

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <json/reader.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <optional>
#include <set>
#include <thread>

#include "host/cli.h"
#include "host/machine/machine_setup.h"
#include "host/report/report_writer.h"
#include "host/report/run_summary.h"
#include "host/report/timeline_writer.h"
#include "host/run/scenario_runner.h"
#include "host/run/step_runner.h"
#include "host/scenario/scenario_parser.h"
#include "sim/common_base/log_control.h"
#include "sim/trace.h"
#include "winapi/control/machine_control.h"

namespace orvhost {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::SizeIs;

class ScenarioRunnerTest : public ::testing::Test {
  protected:
    static Scenario Parse(std::string_view text) {
        LoadResult loaded = LoadScenarioText(text, "test.json");
        EXPECT_THAT(loaded.errors, IsEmpty());
        return loaded.scenario.value_or(Scenario{});
    }

    static RunResult Run(const Scenario& scenario) {
        RunOptions options;
        options.streamLog = false;
        options.logDirectory = testing::TempDir();
        return RunScenario(scenario, options);
    }

    static RunResult Run(std::string_view text) { return Run(Parse(text)); }

    static const StepOutcome* Failed(const RunResult& result) {
        const auto found = std::find_if(result.steps.begin(), result.steps.end(),
                                        [](const StepOutcome& step) { return !step.ok; });
        return found == result.steps.end() ? nullptr : &*found;
    }

    static bool Logged(const RunResult& result, const std::string& message) {
        return std::any_of(result.evidence.lines.begin(), result.evidence.lines.end(),
                           [&](const LogLine& line) { return line.message == message; });
    }
};

TEST_F(ScenarioRunnerTest, ACleanRunIsRecordedForTheSummaryReportAndTimeline) {
    const RunResult result = Run(Parse(R"({
      "machine": {"clockScale": 20},
      "timeline": [
        {"do": "start", "until": {"log": "OrvClientService::OrvWorkerThread: Waiting on service stop event"}},
        {"do": "control", "code": 220, "until": {"publication": [7, 1]}},
        {"do": "check", "expect": [{"publication": [7, 1], "count": 1}]},
        {"do": "stop"}
      ],
      "expect": [{"log": "OrvClientService::OnStop: Service stopped"}]})"));
    EXPECT_EQ(result.ExitCode(), 0);
    ASSERT_THAT(result.steps, SizeIs(4));
    for (const StepOutcome& step : result.steps) {
        EXPECT_TRUE(step.finished && step.ok) << step.name << ": " << step.detail;
        EXPECT_EQ(step.threadId, result.timelineThread);
    }
    ASSERT_THAT(result.expectations, SizeIs(2));
    EXPECT_THAT(result.expectations[0].where, HasSubstr("step \"check expectations\""));
    EXPECT_EQ(result.expectations[1].where, "end of run");
    ASSERT_THAT(result.evidence.controls, SizeIs(1));
    EXPECT_EQ(result.evidence.controls[0].control, 220u);
    ASSERT_THAT(result.evidence.entryCalls, SizeIs(2));
    EXPECT_TRUE(result.evidence.entryCalls[1].returned.has_value());
    EXPECT_GE(*result.evidence.entryCalls[1].returned - result.evidence.entryCalls[1].began,
              std::chrono::milliseconds(2000))
        << "OnStop's mandated wait, on the machine's clock";

    const Json::Value report = ReportJson(result);
    EXPECT_EQ(report["result"].asString(), "passed");
    EXPECT_THAT(FormatRunSummary(result), HasSubstr("result                       clean"));
    EXPECT_EQ(report["summary"]["publications"].size(), 3u);  // (4,19) (7,1) (91,0)
    EXPECT_EQ(report["log"].size(), result.evidence.lines.size());

    const Json::Value trace = TimelineJson(result);
    std::set<std::string> tracks;
    std::set<std::string> phases;
    for (const Json::Value& event : trace["traceEvents"]) {
        if (event["ph"] == "M" && event["name"] == "thread_name") {
            tracks.insert(event["args"]["name"].asString());
        }
        if (event["ph"] == "X") {
            EXPECT_GE(event["dur"].asInt64(), 0);
            phases.insert(event["name"].asString());
        }
    }
    for (const char* track : {"orvhost timeline", "host: OnStart (service start)", "worker thread",
                              "stop task (OnStop)", "control pool", "uninit ExtensionModule"}) {
        EXPECT_THAT(tracks, Contains(track));
    }
    for (const char* phase :
         {"OnStart", "OnStop", "Cleanup", "worker thread", "Waiting for FullInit event",
          "ExtensionModule UnInit", "DownloadAgent Init"}) {
        EXPECT_THAT(phases, Contains(phase));
    }
}

TEST_F(ScenarioRunnerTest, AFailedWaitAndAnUnmetExpectationFailTheRunButTheServiceIsStillStopped) {
    const RunResult result = Run(Parse(R"({
      "machine": {"clockScale": 20},
      "timeline": [
        {"do": "start", "until": {"log": "OrvClientService::OrvWorkerThread: Waiting on service stop event"}},
        {"do": "waitFor", "log": "OrvClientService::Nothing: like this", "timeoutMs": 200},
        {"do": "control", "code": 221}
      ],
      "expect": [{"log": "OrvClientService::OrvWorkerThread: Waiting on service stop event", "count": 2},
                 {"publication": [7, 2]}]})"));
    EXPECT_EQ(result.ExitCode(), 1);
    ASSERT_THAT(result.steps, SizeIs(4))
        << "the timeline goes on, and the service is stopped at its end";
    EXPECT_FALSE(result.steps[1].ok);
    EXPECT_THAT(result.steps[1].detail,
                HasSubstr("no log \"OrvClientService::Nothing: like this\" within 200 ms"));
    EXPECT_THAT(result.steps[1].context, Not(IsEmpty()));
    EXPECT_TRUE(result.steps[2].ok);
    EXPECT_EQ(result.steps[3].name, "stop the service (end of timeline)");
    EXPECT_TRUE(Logged(result, "OrvClientService::OnStop: Service stopped"));
    ASSERT_THAT(result.expectations, SizeIs(2));
    EXPECT_FALSE(result.expectations[0].met);
    EXPECT_EQ(result.expectations[0].actual, "1 time");
    EXPECT_THAT(
        result.expectations[0].context,
        Contains(HasSubstr("OrvClientService::OrvWorkerThread: Waiting on service stop event")));
    EXPECT_TRUE(result.expectations[1].met);
}

TEST_F(ScenarioRunnerTest, AnArrangementTheMachineRefusesMeansTheScenarioCannotRun) {
    Scenario scenario = Parse(R"({"timeline": [{"do": "start"}]})");
    scenario.machine.failures.push_back(FailureArrangement{"NoSuchCall", 5, 1u, false});
    const RunResult result = Run(scenario);
    EXPECT_EQ(result.ExitCode(), 2);
    ASSERT_TRUE(result.error.has_value());
    EXPECT_THAT(*result.error, HasSubstr("NoSuchCall"));
    EXPECT_THAT(result.steps, IsEmpty()) << "nothing ran";
}

TEST_F(ScenarioRunnerTest, AHungStopEndsTheProcessWithStatusOne) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const Scenario scenario = Parse(R"({
      "timeoutMs": 300,
      "client": {"agents": {"ExtensionModule": {"unInit": {"durationMs": 600000}}}},
      "timeline": [
        {"do": "start", "timeoutMs": 30000,
         "until": {"log": "OrvClientService::OrvWorkerThread: Waiting on service stop event"}},
        {"do": "stop"}
      ]})");
    EXPECT_EXIT(
        {
            RunOptions options;
            options.streamLog = false;
            options.logDirectory = testing::TempDir();
            RunScenario(scenario, options, [](const RunResult& partial) {
                std::fprintf(stderr, "%s; steps %zu\n", partial.hung->c_str(),
                             partial.steps.size());
            });
        },
        testing::ExitedWithCode(1),
        "step \"stop the service\" did not finish within its time-out.*; steps 2");
}

class HostOrderTest : public ScenarioRunnerTest {
  protected:
    void SetUp() override {
        ArrangeDefaultMachine({20});
        host_.emplace(winsim::services::StatusHandle(kServiceName));
    }

    static bool Stopped() {
        return orvsim::HasLogMessage(L"OrvClientService::OnStop: Service stopped");
    }

    std::optional<ServiceHost> host_;
};

TEST_F(HostOrderTest, OnStopWaitsUntilOnStartHasCreatedTheService) {
    // The start thread is held in the log's set-up, before the service object exists, for
    // longer than an eager stop needs to overtake it.
    orvsim::ArrangePause("ORV::utility", "InitLog",
                         [] { std::this_thread::sleep_for(std::chrono::milliseconds(300)); });
    host_->Start();
    EXPECT_FALSE(host_->Stop(std::chrono::seconds(30)).refused);
    EXPECT_TRUE(Stopped());
}

TEST_F(HostOrderTest, AStopThatCannotWaitFailsAndTheEndOfTheTimelineStopsTheService) {
    Evidence evidence;
    StepRunner runner(*host_, evidence, 60000, [](const std::string&, int) {});
    orvsim::ArrangePause("ORV::utility", "InitLog", [&runner] {
        // Held until the stop step has given up on it.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (runner.Outcomes().size() < 2 || !runner.Outcomes()[1].finished) {
            ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the stop never gave up";
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    runner.Run(
        Parse(R"({"timeline": [{"do": "start"}, {"do": "stop", "timeoutMs": 100}]})").timeline);
    runner.StopIfRunning();
    const std::vector<StepOutcome> steps = runner.Outcomes();
    ASSERT_THAT(steps, SizeIs(3));
    EXPECT_FALSE(steps[1].ok);
    EXPECT_EQ(steps[1].detail,
              "OnStop was not called: OnStart has not created the service object within 100 ms");
    EXPECT_EQ(steps[2].name, "stop the service (end of timeline)");
    EXPECT_TRUE(steps[2].ok) << steps[2].detail;
    EXPECT_TRUE(Stopped());
}

TEST_F(HostOrderTest, AClockMoveBeyondWhatTheClockHoldsCannotBeCarriedOut) {
    Evidence evidence;
    StepRunner runner(*host_, evidence, 60000, [](const std::string&, int) {});
    Step move;
    move.action = ClockChangeStep{.deltaMs = 3650LL * 24 * 3600 * 1000};
    move.name = "ten years on";
    move.path = "$.timeline[0]";
    runner.Run(std::vector<Step>(30, move));
    ASSERT_TRUE(runner.Error().has_value());
    EXPECT_THAT(*runner.Error(), HasSubstr("the machine's clock"));
    EXPECT_LT(runner.Outcomes().size(), 30U) << "the timeline ended at the refused move";
}

// Exceptions that escape an entry point: the host contains them, reports them and fails the
// run unless the step expects them.
struct Escape {
    const char* name;
    const char* throws;  // the arranged "throws" list
    const char* steps;
    const char* failedStep;  // its name or path
    const char* detail;
};

void PrintTo(const Escape& escape, std::ostream* out) {
    *out << escape.name;
}

std::string EscapeName(const testing::TestParamInfo<Escape>& info) {
    return info.param.name;
}

class EscapeTest : public ScenarioRunnerTest, public testing::WithParamInterface<Escape> {};

TEST_P(EscapeTest, AnEscapeTheStepDidNotExpectFailsTheRunWithItsText) {
    const RunResult result =
        Run(std::string(R"({"machine": {"clockScale": 20}, "client": {"throws": )") +
            GetParam().throws + R"(}, "timeline": [)" + GetParam().steps + "]}");
    EXPECT_EQ(result.ExitCode(), 1);
    EXPECT_FALSE(result.error.has_value());
    const StepOutcome* failed = Failed(result);
    ASSERT_NE(failed, nullptr);
    EXPECT_THAT(failed->name + " " + failed->path, HasSubstr(GetParam().failedStep));
    EXPECT_THAT(failed->detail, HasSubstr(GetParam().detail));
}

INSTANTIATE_TEST_SUITE_P(
    Entries, EscapeTest,
    testing::Values(
        Escape{"OnStartLetsOneEscape",
               R"([{"call": "ORV::DatabaseManager::GetInstance", "exception": "runtime_error"}])",
               R"({"do": "start"}, {"do": "stop"})", "OnStart (on its start thread)",
               "OnStart let an exception escape: std::runtime_error: arranged failure of "
               "ORV::DatabaseManager::GetInstance"},
        Escape{"OnStartReturnsNormally", "[]",
               R"({"do": "start", "escapes": "runtime_error"}, {"do": "stop"})", "$.timeline[0]",
               "OnStart was expected to let std::runtime_error escape, but returned normally"},
        Escape{
            "OnStopLetsAnotherKindEscape",
            R"([{"call": "ORVCore::OnServiceStop", "exception": "runtime_error"}])",
            R"({"do": "start", "until": {"log": "OrvClientService::OrvWorkerThread: Waiting on service stop event"}},
                  {"do": "stop", "escapes": "bad_array_new_length"})",
            "$.timeline[1]",
            "OnStop was expected to let std::bad_array_new_length escape, but let escape "
            "std::runtime_error: arranged failure of ORVCore::OnServiceStop"}),
    EscapeName);

// orvhost's command line: exit statuses and what it says about files it will not run.
class CliTest : public ::testing::Test {
  protected:
    static int Run(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), "orvhost");
        std::vector<char*> argv;
        argv.reserve(arguments.size());
        for (std::string& argument : arguments) {
            argv.push_back(argument.data());
        }
        return RunCommandLine(static_cast<int>(argv.size()), argv.data());
    }

    static std::string File(const std::string& name, const std::string& text) {
        std::string path = testing::TempDir() + name;
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

    testing::internal::CaptureStderr();
    EXPECT_EQ(Run({"check", good, bad, testing::TempDir() + "missing.json"}), 2);
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_THAT(errors, HasSubstr("bad.json: $.timeline[0].do: expected one of \"start\""));
    EXPECT_THAT(errors, HasSubstr("missing.json: cannot be read"));
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
