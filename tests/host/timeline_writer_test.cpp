// The Chrome trace of a run, from made-up evidence: tracks, sections, phases and call spans.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "host/timeline_writer.h"

namespace orvhost {
namespace {

using std::chrono::milliseconds;

class TimelineTest : public ::testing::Test {
  protected:
    void Line(std::uint32_t thread, std::int64_t at, const std::string& message) {
        auto& lines = result_.evidence.lines;
        lines.push_back(LogLine{lines.size(), LogLevel::kDebug, thread, message, milliseconds(at)});
    }

    void Call(std::uint32_t thread, std::int64_t at, const std::string& component,
              const std::string& operation) {
        auto& calls = result_.evidence.calls;
        calls.push_back(
            CallRecord{calls.size() + 1, component, operation, {}, thread, milliseconds(at)});
    }

    // Every event of one phase letter, keyed by "tid:name".
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

TEST_F(TimelineTest, SectionsAndThePhasesBetweenTheirLinesNestOnTheirThread) {
    Line(5, 0, "OrvClientService::OrvWorkerThread: Start");
    Line(6, 5,
         "OrvClientService::OnORVNotification: Notification received; topicID: 4, eventState: 19");
    Line(5, 20, "OrvClientService::OrvWorkerThread: Waiting for FullInit event");
    Line(5, 500, "OrvClientService::OrvWorkerThread: FullInit event signaled");
    Line(5, 600, "OrvClientService::OrvWorkerThread: Exit");
    Line(5, 700, "OrvClientService::OrvWorkerThread: after the section");
    Line(5, 900, "OrvClientService::OrvWorkerThread: later still");
    Write();

    const auto spans = Events("X");
    ASSERT_TRUE(spans.contains("5:worker thread"));
    EXPECT_EQ(spans.at("5:worker thread")["ts"].asInt64(), 0);
    EXPECT_EQ(spans.at("5:worker thread")["dur"].asInt64(), 600000);
    ASSERT_TRUE(spans.contains("5:Waiting for FullInit event"));
    EXPECT_EQ(spans.at("5:Waiting for FullInit event")["ts"].asInt64(), 20000);
    EXPECT_EQ(spans.at("5:Waiting for FullInit event")["dur"].asInt64(), 480000);
    EXPECT_FALSE(spans.contains("5:after the section")) << "no phases outside a section";
    for (const auto& [key, span] : spans) {
        EXPECT_THAT(key, testing::Not(testing::StartsWith("6:")))
            << "the bus thread has no section";
    }
    EXPECT_EQ(Events("i").size(), 7u) << "a mark for every line";
    EXPECT_EQ(TrackNames().at(5), "worker thread");
    EXPECT_EQ(TrackNames().at(6), "bus delivery");
}

TEST_F(TimelineTest, CallsThatRecordTheirEndBecomeSpansOnTheirOwnThread) {
    Call(9, 100, "DeployAgent", "UnInit");
    Call(8, 150, "MDMAgent", "UnInit");
    Call(9, 300, "DeployAgent", "UnInitDone");
    Call(7, 310, "MDMAgent", "UnInitDone");  // another thread: not the end of thread 8's call
    Call(4, 320, "EventManager", "OnServiceControl");
    Write();

    const auto spans = Events("X");
    ASSERT_TRUE(spans.contains("9:DeployAgent UnInit"));
    EXPECT_EQ(spans.at("9:DeployAgent UnInit")["dur"].asInt64(), 200000);
    EXPECT_FALSE(spans.contains("8:MDMAgent UnInit"));
    EXPECT_FALSE(spans.contains("7:MDMAgent UnInit"));
    const auto tracks = TrackNames();
    EXPECT_EQ(tracks.at(9), "uninit DeployAgent");
    EXPECT_EQ(tracks.at(4), "control pool");
    EXPECT_EQ(tracks.at(7), "thread 7");
}

TEST_F(TimelineTest, TheHostsCallsStepsAndControlsAppear) {
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
    EXPECT_EQ(spans.at("2:OnStart")["dur"].asInt64(), 1000000);
    EXPECT_FALSE(spans.contains("1:OnStop")) << "an entry point that never returned has no end";
    EXPECT_EQ(spans.at("1:start")["dur"].asInt64(), 1190000);
    EXPECT_TRUE(Events("i").contains("1:control 220 maintenance"));
    EXPECT_EQ(TrackNames().at(1), "orvhost timeline");
    EXPECT_EQ(TrackNames().at(2), "host: OnStart (service start)");
}

}  // namespace
}  // namespace orvhost
