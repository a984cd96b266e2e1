// Judging expectations against recorded evidence, without a service: the evidence is made up.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "host/expectations/expectation.h"
#include "host/scenario/scenario_parser.h"
#include "winapi/control/machine_control.h"

namespace orvhost {
namespace {

using std::chrono::milliseconds;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::SizeIs;

class ExpectationsTest : public ::testing::Test {
  protected:
    void Line(const std::string& message, LogLevel level = LogLevel::kDebug, std::int64_t at = 0) {
        snapshot_.lines.push_back(
            LogLine{snapshot_.lines.size(), level, 7, message, milliseconds(at)});
    }

    void Call(const std::string& component, const std::string& operation,
              std::vector<std::string> args = {}) {
        snapshot_.calls.push_back(CallRecord{snapshot_.calls.size() + 1, component, operation,
                                             std::move(args), 7, milliseconds(0)});
    }

    void Publication(int topic, int state) {
        orvsim::Publication publication;
        publication.sequence = snapshot_.publications.size() + 1;
        publication.topicId = topic;
        publication.eventState = state;
        publication.accepted = true;
        snapshot_.publications.push_back(publication);
    }

    // Judges the expectations of a scenario whose "expect" is `expect`.
    std::vector<ExpectationResult> Judge(const std::string& expect) {
        const LoadResult loaded =
            LoadScenarioText(R"({"timeline": [{"do": "start"}], "expect": )" + expect + "}", "t");
        EXPECT_TRUE(loaded.scenario.has_value())
            << (loaded.errors.empty() ? "" : loaded.errors.front());
        std::vector<ExpectationResult> results;
        if (loaded.scenario) {
            for (const Expectation& expectation : loaded.scenario->expectations) {
                results.push_back(Evaluate(expectation, snapshot_, "end of run"));
            }
        }
        return results;
    }

    static std::vector<bool> Met(const std::vector<ExpectationResult>& results) {
        std::vector<bool> met;
        met.reserve(results.size());
        for (const ExpectationResult& result : results) {
            met.push_back(result.met);
        }
        return met;
    }

    Snapshot snapshot_;
};

TEST_F(ExpectationsTest, LogLinesByTextLevelRangeAndOrderAndAnyOfAndAllOf) {
    Line("S::A: one");
    Line("S::A: one", LogLevel::kError);
    Line("S::B: two  blanks");
    for (const char* line : {"a", "b", "c", "a", "won by OnStop", "skipped by pre-shutdown"}) {
        Line(line);
    }
    const auto results = Judge(R"([
        {"log": "S::A: one"},
        {"log": "S::A: one", "count": 2},
        {"log": "S::A: one", "count": 1},
        {"log": {"message": "S::A: one", "level": "error"}, "count": 1},
        {"log": {"message": "S::B: two blanks"}},
        {"log": {"message": "S::B", "match": "prefix"}, "count": {"min": 1, "max": 1}},
        {"log": {"message": "two  blanks", "match": "contains"}},
        {"log": {"message": "^S::[AB]: t", "match": "regex"}, "count": 1},
        {"log": {"message": "", "match": "prefix", "level": "warning"}, "absent": true},
        {"log": "S::A: one", "absent": true},
        {"logOrder": ["a", "b", "c"]},
        {"logOrder": ["c", "a"]},
        {"logOrder": ["b", "a", "b"]},
        {"logOrder": ["a", "z"]},
        {"anyOf": [{"log": "won by pre-shutdown"}, {"log": "won by OnStop"}]},
        {"anyOf": [{"log": "x"}, {"log": "y", "count": 2}]},
        {"allOf": [{"log": "won by OnStop"}, {"log": "skipped by pre-shutdown"}]},
        {"allOf": [{"log": "won by OnStop"}, {"log": "won by pre-shutdown"}]},
        {"anyOf": [{"allOf": [{"log": "won by pre-shutdown"}, {"log": "won by OnStop"}]},
                   {"allOf": [{"log": "won by OnStop", "count": 1},
                              {"log": "won by pre-shutdown", "absent": true}]}]}
    ])");
    EXPECT_EQ(Met(results), (std::vector<bool>{true, true, false, true, false, true, true, true,
                                               true, false,                        // log
                                               true, true, false, false,           // logOrder
                                               true, false, true, false, true}));  // anyOf, allOf
    EXPECT_THAT(results[12].actual, HasSubstr("\"b\" logged, but not after \"a\""));
    EXPECT_THAT(results[13].actual, HasSubstr("\"z\" never logged"));
    EXPECT_THAT(results[15].actual, HasSubstr("none held"));
    EXPECT_THAT(results[17].actual, HasSubstr("won by pre-shutdown"))
        << "only the member that failed is named";
    EXPECT_THAT(results[17].actual, Not(HasSubstr("skipped")));
}

TEST_F(ExpectationsTest, RegularExpressionsMatchLinesOfAnyLength) {
    Line(std::string(100000, 'a'));
    Line("x" + std::string(100000, 'b') + "y");
    EXPECT_EQ(Met(Judge(R"([
        {"log": {"message": "a+", "match": "regex"}, "count": 1},
        {"log": {"message": "^a+$", "match": "regex"}, "count": 1},
        {"log": {"message": "^x(b|c)*y$", "match": "regex"}, "count": 1},
        {"log": {"message": "b+z", "match": "regex"}, "absent": true},
        {"log": {"message": "(a?){50}(a|b){20}", "match": "regex"}, "count": 2}
    ])")),
              (std::vector<bool>{true, true, true, true, true}));
}

TEST_F(ExpectationsTest, AnUnmetLogExpectationShowsTheNearestLines) {
    for (int i = 0; i < 10; ++i) {
        Line("S::Worker: step " + std::to_string(i));
    }
    Line("S::Cleanup: Enter");
    const auto results = Judge(
        R"([{"log": "S::Cleanup: Exit"}, {"log": {"message": "step", "match": "contains"}, "absent": true}])");
    ASSERT_THAT(results, SizeIs(2));
    EXPECT_EQ(results[0].actual, "0 times");
    ASSERT_THAT(results[0].context, SizeIs(3)) << "the closest line and two before it (none after)";
    EXPECT_THAT(results[0].context[2], HasSubstr("#10 +0 ms debug [tid 7] S::Cleanup: Enter"));
    EXPECT_THAT(results[1].context, SizeIs(5)) << "an unwanted line shows the lines that matched";
}

TEST_F(ExpectationsTest, PublicationsCallsStatusReportsDurationsAndTheMachineByField) {
    Publication(4, 19);
    Publication(7, 1);
    Publication(91, 0);
    Call("EventManager", "OnServiceControl", {"15", "0", "0x1234", "null"});
    Call("ORVCore", "OnServiceStop");
    Call("ORV::PluginManager", "Start", {"true"});
    SERVICE_STATUS stopped{};
    stopped.dwServiceType = 0x10;
    stopped.dwCurrentState = 1;
    snapshot_.statusReports.push_back({L"ORVService", stopped, 7, milliseconds(0)});
    snapshot_.entryCalls.push_back(
        {"OnStart", 1, milliseconds(100), milliseconds(1100), std::nullopt, false});
    snapshot_.entryCalls.push_back(
        {"OnStop", 1, milliseconds(5000), milliseconds(7000), std::nullopt, false});
    snapshot_.entryCalls.push_back(
        {"OnStop", 1, milliseconds(8000), std::nullopt, std::nullopt, false});
    Line("from", LogLevel::kDebug, 200);
    Line("to", LogLevel::kDebug, 250);
    Line("from", LogLevel::kDebug, 300);
    Line("to", LogLevel::kDebug, 900);
    Line("OrvClientService::OrvWorkerThread: Waiting on service stop event", LogLevel::kDebug,
         1300);
    winsim::ResetMachine();
    winsim::registry::SetDword(L"SYSTEM\\CurrentControlSet\\Services\\ORVService", L"Start", 2);
    winsim::registry::SetString(L"Software\\Quelro\\ORV", L"Realm", L"r");
    const auto results = Judge(R"([
        {"publications": [[4, 19], [91, 0]]},
        {"publications": [[4, 19], [91, 0]], "exactly": true},
        {"publications": [[4, 19], {"topic": 7}, [91, 0]], "exactly": true},
        {"publications": [[91, 0], [4, 19]]},
        {"publication": {"state": 0}, "count": 1},
        {"calls": [{"component": "EventManager", "operation": "OnServiceControl", "args": ["15", "0", null, null]},
                   "ORVCore::OnServiceStop"]},
        {"calls": ["ORVCore::OnServiceStop", "EventManager::OnServiceControl"]},
        {"call": {"component": "EventManager", "args": ["15", "0", null]}},
        {"call": "ORV::PluginManager::Start", "count": 1},
        {"call": {"component": "ORV::PluginManager", "operation": "Start", "args": ["false"]}, "absent": true},
        {"call": {"component": "EventManager"}, "count": 1},
        {"statusReports": [{"state": "stopped", "serviceType": 16, "controlsAccepted": 0}], "exactly": true},
        {"statusReport": {"state": "running"}, "absent": true},
        {"statusReport": {}, "count": 2},
        {"duration": {"of": "OnStart", "atLeastMs": 1000, "atMostMs": 1000}},
        {"duration": {"of": "OnStop", "atLeastMs": 2001}},
        {"duration": {"of": "startToFullInit", "atMostMs": 1200}},
        {"duration": {"from": "from", "to": "to", "atMostMs": 50}},
        {"duration": {"from": "to", "to": "never", "atLeastMs": 0}},
        {"startupType": {"start": "automatic", "delayedAutostart": null}},
        {"startupType": {"delayedAutostart": 0}},
        {"registry": {"key": "Software\\Quelro\\ORV", "name": "realm", "string": "r"}},
        {"registry": {"key": "Software\\Quelro\\ORV", "name": "Realm", "absent": true}},
        {"registry": {"key": "Software\\Quelro\\ORV", "name": "Other", "dword": 1}}
    ])");
    EXPECT_EQ(Met(results), (std::vector<bool>{true, false, true,  false, true,  // publications
                                               true, false, false, true,  true,  true,  // calls
                                               true, true,  false,                // status reports
                                               true, false, true,  true,  false,  // durations
                                               true, false, true,  false, false}));  // the machine
    EXPECT_EQ(results[1].actual, "(4, 19), (7, 1), (91, 0)");
    EXPECT_THAT(results[3].actual, HasSubstr("(4, 19) not found after the ones before it"));
    EXPECT_EQ(results[15].actual, "took 2000 ms") << "the first OnStop";
    EXPECT_THAT(results[18].actual, HasSubstr("did not happen"));
    EXPECT_EQ(results[20].actual, "Start=2 DelayedAutostart=absent");
    EXPECT_EQ(results[23].actual, "the value does not exist");
}

}  // namespace
}  // namespace orvhost
