// Loading scenario files: the model a valid file gives, and the messages an invalid one gets.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "host/default_scenario.h"
#include "host/scenario_parser.h"

namespace orvhost {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::SizeIs;

class ScenarioParserTest : public ::testing::Test {
  protected:
    static LoadResult Load(std::string_view text) { return LoadScenarioText(text, "t.json"); }

    static Scenario Valid(std::string_view text) {
        LoadResult result = Load(text);
        EXPECT_THAT(result.errors, IsEmpty()) << AllErrors(result);
        return result.scenario.value_or(Scenario{});
    }

    static std::string AllErrors(const LoadResult& result) {
        std::string all;
        for (const std::string& error : result.errors) {
            all += error + "\n";
        }
        return all;
    }
};

TEST_F(ScenarioParserTest, ReadsStepsWithNamesHexCodesAndDefaults) {
    const Scenario scenario = Valid(R"({
      "name": "n", "timeoutMs": 5000,
      "machine": {"clockScale": 2.5, "architecture": "arm64", "imageState": null,
                  "oobe": {"completeAfterChecks": 3},
                  "failures": [{"call": "CoInitializeEx", "times": 1},
                               {"call": "OpenService", "code": "0x80010106", "times": "always"}]},
      "timeline": [
        {"do": "start", "until": {"log": "x"}},
        {"do": "control", "code": "preshutdown"},
        {"do": "sessionChange", "reason": "logon", "sessionId": 2},
        {"do": "powerEvent", "eventType": "powerSettingChange",
         "setting": {"guid": "245d8541-3943-4422-b025-13a784f679b7", "data": [1, 2]}},
        {"do": "publish", "topic": 4, "state": 15, "kind": "zarn", "messageType": "m"},
        {"do": "waitFor", "call": "ORV::PluginManager::Start", "count": 2},
        {"do": "together", "steps": [{"do": "stop"}, {"do": "pause", "ms": 5, "delayMs": 7, "after": {"log": "y"}}]}
      ]})");
    EXPECT_EQ(scenario.timeoutMs, 5000);
    EXPECT_EQ(scenario.machine.clockScale, 2.5);
    EXPECT_EQ(scenario.machine.architecture, 12);
    ASSERT_TRUE(scenario.machine.imageState.has_value());
    EXPECT_FALSE(scenario.machine.imageState->has_value()) << "null removes the value";
    EXPECT_EQ(scenario.machine.oobe, OobeMode::kAfterChecks);
    EXPECT_EQ(scenario.machine.oobeFailedChecks, 3u);
    ASSERT_THAT(scenario.machine.failures, SizeIs(2));
    EXPECT_EQ(scenario.machine.failures[0].code, static_cast<std::int32_t>(0x80004005u))
        << "a COM call fails with E_FAIL unless told otherwise";
    EXPECT_EQ(scenario.machine.failures[0].times, 1u);
    EXPECT_EQ(scenario.machine.failures[1].code, static_cast<std::int32_t>(0x80010106u));
    EXPECT_FALSE(scenario.machine.failures[1].times.has_value());

    const auto& steps = scenario.timeline;
    ASSERT_THAT(steps, SizeIs(7));
    ASSERT_TRUE(steps[0].until.has_value());
    EXPECT_TRUE(steps[0].until->onlyNew) << "an until counts new evidence by default";
    EXPECT_EQ(steps[1].control, 15u);
    EXPECT_EQ(steps[2].control, 14u);
    EXPECT_EQ(steps[2].eventType, 5u);
    EXPECT_EQ(steps[2].sessionId, 2u);
    EXPECT_EQ(steps[3].eventType, 0x8013u);
    EXPECT_EQ(steps[3].powerSettingData, (std::vector<std::uint8_t>{1, 2}));
    EXPECT_THAT(steps[4].payload,
                AllOf(HasSubstr(R"("provider":"zarn")"), HasSubstr(R"("messageType":"m")"),
                      HasSubstr(R"("actionType":"none")")));
    ASSERT_TRUE(steps[5].condition.has_value());
    EXPECT_FALSE(steps[5].condition->onlyNew) << "a waitFor counts all evidence by default";
    EXPECT_EQ(steps[5].condition->call->component, "ORV::PluginManager");
    EXPECT_EQ(steps[5].condition->count, 2);
    ASSERT_THAT(steps[6].steps, SizeIs(2));
    EXPECT_EQ(steps[6].steps[1].delayMs, 7);
    ASSERT_TRUE(steps[6].steps[1].after.has_value());
    EXPECT_FALSE(steps[6].steps[1].after->onlyNew) << "an after counts all evidence by default";
    EXPECT_EQ(steps[1].name, "control 15 (preshutdown)") << "unnamed steps get a name";
}

TEST_F(ScenarioParserTest, ReadsExpectationsWithTheirCounts) {
    const Scenario scenario = Valid(R"({
      "timeline": [{"do": "start"}],
      "expect": [
        {"log": {"message": "a", "match": "regex", "level": "error"}},
        {"call": "C::op", "count": 2},
        {"publication": [7, 1], "count": {"max": 1}},
        {"statusReport": {"state": "stopped"}, "absent": true},
        {"publications": [[4, 19], {"topic": 91}], "exactly": true},
        {"startupType": {"delayedAutostart": null}},
        {"duration": {"from": "a", "to": {"message": "b", "match": "prefix"}, "atLeastMs": 5}},
        {"anyOf": [{"log": "x"}, {"registry": {"key": "K", "name": "N", "absent": true}}]}
      ]})");
    const auto& e = scenario.expectations;
    ASSERT_THAT(e, SizeIs(8));
    EXPECT_EQ(e[0].log->match, TextMatch::kRegex);
    EXPECT_EQ(e[0].log->level, LogLevel::kError);
    EXPECT_EQ(e[0].count.min, 1) << "present: at least once";
    EXPECT_FALSE(e[0].count.max.has_value());
    EXPECT_EQ(e[1].count.min, 2);
    EXPECT_EQ(e[1].count.max, 2);
    EXPECT_EQ(e[2].count.min, 0);
    EXPECT_EQ(e[2].count.max, 1);
    EXPECT_EQ(e[3].count.max, 0);
    EXPECT_TRUE(e[4].exactly);
    EXPECT_EQ(e[4].publications[1].topic, 91);
    EXPECT_FALSE(e[4].publications[1].state.has_value());
    ASSERT_TRUE(e[5].delayedAutostart.has_value());
    EXPECT_FALSE(e[5].delayedAutostart->has_value());
    EXPECT_EQ(e[6].to->match, TextMatch::kPrefix);
    ASSERT_THAT(e[7].group, SizeIs(2));
    EXPECT_TRUE(e[7].group[1].registry->remove);
    EXPECT_EQ(e[7].group[1].path, "$.expect[7].anyOf[1]");
}

TEST_F(ScenarioParserTest, RejectsMisspeltKeysWithTheirPathAndTheKeyMeant) {
    const LoadResult result = Load(R"({"timeline": [{"do": "start", "untill": {"log": "x"}}],
                                      "expect": [{"log": "x", "cout": 2}], "machin": {}})");
    EXPECT_FALSE(result.scenario.has_value());
    const std::string errors = AllErrors(result);
    EXPECT_THAT(
        errors,
        HasSubstr(
            "t.json: $.timeline[0].untill: unknown key \"untill\" (did you mean \"until\"?)"));
    EXPECT_THAT(errors,
                HasSubstr("$.expect[0].cout: unknown key \"cout\" (did you mean \"count\"?)"));
    EXPECT_THAT(errors, HasSubstr("$.machin: unknown key \"machin\" (did you mean \"machine\"?)"));
}

TEST_F(ScenarioParserTest, ReportsEveryWrongTypeAndRangeInOnePass) {
    const LoadResult result = Load(R"({
      "machine": {"clockScale": "fast", "architecture": "sparc", "oobe": "soon"},
      "client": {"agents": {"FooAgent": {}, "DeployAgent": {"init": {"fail": "sometimes"}}},
                 "absentHelpers": ["Nope"]},
      "timeline": [{"do": "sessionChange", "reason": "logon", "sessionId": -1},
                   {"do": "control", "code": 8589934592},
                   {"do": "jump"}]})");
    const std::string errors = AllErrors(result);
    EXPECT_THAT(
        errors,
        HasSubstr("$.machine.clockScale: expected a number from 0.01 to 1000, found \"fast\""));
    EXPECT_THAT(errors,
                HasSubstr("$.machine.architecture: expected an integer from 0 to 65535 or one of"));
    EXPECT_THAT(errors, HasSubstr("$.machine.oobe: expected one of \"complete\", \"never\""));
    EXPECT_THAT(errors, HasSubstr("$.client.agents.FooAgent: unknown key"));
    EXPECT_THAT(errors, HasSubstr("$.client.agents.DeployAgent.init.fail: expected one of"));
    EXPECT_THAT(errors,
                HasSubstr("$.client.absentHelpers[0]: expected one of ApplicabilityEvaluator"));
    EXPECT_THAT(errors,
                HasSubstr("$.timeline[0].sessionId: expected an integer from 0 to 4294967295"));
    EXPECT_THAT(errors, HasSubstr("$.timeline[1].code: expected an integer from 0 to 4294967295"));
    EXPECT_THAT(errors, HasSubstr("$.timeline[2].do: expected one of \"start\", \"stop\""));
    EXPECT_THAT(result.errors, SizeIs(9));
}

TEST_F(ScenarioParserTest, RejectsMalformedJson) {
    EXPECT_THAT(AllErrors(Load(R"({"timeline": [{"do": "start"},]})")), HasSubstr("JSON syntax"));
    EXPECT_THAT(AllErrors(Load(R"({"timeline": [], "timeline": []})")), HasSubstr("Duplicate key"));
    EXPECT_THAT(AllErrors(Load(R"({"timeline": [{"do": "start"}]} {})")), HasSubstr("JSON syntax"));
    EXPECT_THAT(AllErrors(Load(R"([1, 2])")), HasSubstr("$: expected an object, found an array"));
    EXPECT_THAT(AllErrors(Load(R"({})")), HasSubstr("$: missing required key \"timeline\""));
    const Scenario commented =
        Valid("// a comment\n{\"timeline\": [{\"do\": \"start\"} /* here */]}");
    EXPECT_THAT(commented.timeline, SizeIs(1)) << "comments are allowed";
}

TEST_F(ScenarioParserTest, RejectsStepsThatSayTooMuchOrTooLittle) {
    const LoadResult result = Load(R"({"timeline": [
      {"do": "eventLog", "xml": "<EventID>1</EventID>", "timeDeltaMs": 5},
      {"do": "registry", "key": "K", "name": "N"},
      {"do": "sessionChange", "reason": "logoff"},
      {"do": "powerEvent", "eventType": "powerSettingChange"},
      {"do": "powerEvent", "eventType": 18, "setting": {"guid": "245d8541-3943-4422-b025-13a784f679b7"}},
      {"do": "timeChange", "oldTimeMs": 1000},
      {"do": "publish", "topic": 1, "state": 2, "payload": "text", "kind": "zarn"},
      {"do": "waitFor", "log": "x", "until": {"log": "y"}},
      {"do": "fail", "call": "Wait", "clear": true, "times": 2},
      {"do": "eventLog", "xml": "<Event/>"},
      {"do": "together", "after": {"log": "x"}, "steps": [{"do": "stop"}, {"do": "start"}]}
    ]})");
    const std::string errors = AllErrors(result);
    EXPECT_THAT(
        errors,
        HasSubstr(
            "$.timeline[0]: more than one event: give exactly one of xml, timeDeltaMs, error"));
    EXPECT_THAT(errors,
                HasSubstr("$.timeline[1]: no value: give exactly one of string, dword, delete"));
    EXPECT_THAT(errors, HasSubstr("$.timeline[2]: missing required key \"sessionId\""));
    EXPECT_THAT(errors, HasSubstr("$.timeline[3]: missing required key \"setting\""));
    EXPECT_THAT(errors, HasSubstr("$.timeline[4].setting: a power setting goes only with"));
    EXPECT_THAT(errors, HasSubstr("$.timeline[5]: \"oldTimeMs\" and \"newTimeMs\" go together"));
    EXPECT_THAT(
        errors,
        HasSubstr(
            "$.timeline[6]: \"kind\", \"messageType\" and \"actionType\" need an object payload"));
    EXPECT_THAT(errors,
                HasSubstr("$.timeline[7].until: \"until\" does not go with this kind of step"));
    EXPECT_THAT(errors, HasSubstr("$.timeline[8]: \"clear\" takes no \"code\", \"times\""));
    EXPECT_THAT(errors, HasSubstr("$.timeline[9].xml: the event XML needs an <EventID> element"));
    EXPECT_THAT(errors, HasSubstr("$.timeline[10].after: \"after\" does not go with \"together\""));
}

TEST_F(ScenarioParserTest, RejectsContradictionsAcrossTheFile) {
    const std::string errors = AllErrors(Load(R"({
      "client": {"agents": {"CoreAdapterAgent": {"present": false}, "MDMAgent": {"constructionFails": true}}},
      "timeline": [
        {"do": "together", "steps": [{"do": "stop"}, {"do": "stop"}]},
        {"do": "check", "expect": [{"duration": {"of": "OnStop", "atLeastMs": 9, "atMostMs": 3}}]}
      ],
      "expect": [{"log": "x", "absent": true, "count": 2},
                 {"log": {"message": "(", "match": "regex"}}]})"));
    EXPECT_THAT(errors, HasSubstr("$.client.agents.CoreAdapterAgent: \"CoreAdapterAgent\" is "
                                  "constructed by the service"));
    EXPECT_THAT(errors,
                HasSubstr("$.client.agents.MDMAgent: \"constructionFails\" applies only to"));
    EXPECT_THAT(errors,
                HasSubstr("$.expect[0].absent: \"absent\" and \"count\" exclude each other"));
    EXPECT_THAT(errors, HasSubstr("$.expect[1].log.message: not a valid regular expression"));

    // The cross-checks run once each value is well formed.
    const std::string crossErrors = AllErrors(Load(R"({"timeline": [
        {"do": "together", "steps": [{"do": "stop"}, {"do": "stop"}]},
        {"do": "together", "steps": [{"do": "start"}, {"do": "together", "steps": [{"do": "stop"}, {"do": "start"}]}]},
        {"do": "check", "expect": [{"duration": {"of": "OnStop", "atLeastMs": 9, "atMostMs": 3}}]}]})"));
    EXPECT_THAT(crossErrors,
                HasSubstr("$.timeline[0]: at most one \"stop\" may run in a \"together\" group"));
    EXPECT_THAT(crossErrors, HasSubstr("$.timeline[1].steps[1]: \"together\" groups do not nest"));
    EXPECT_THAT(
        crossErrors,
        HasSubstr(
            "$.timeline[2].expect[0]: the duration's \"atLeastMs\" is above its \"atMostMs\""));
    EXPECT_THAT(AllErrors(Load(R"({"timeline": []})")),
                HasSubstr("$.timeline: the timeline has no steps"));
}

TEST_F(ScenarioParserTest, RejectsWhatTheRunnerCouldNotCarryOut) {
    // Nesting deeper than the reader takes is a problem of the file, not of the program.
    const LoadResult deep = Load(std::string(1001, '[') + std::string(1001, ']'));
    EXPECT_THAT(AllErrors(deep), HasSubstr("t.json: JSON syntax: nested more than"));

    // Patterns whose compiling or matching would not be bounded.
    const std::string longLiteral(20000, 'x');
    std::string nested;
    for (int i = 0; i < 5000; ++i) {
        nested = "(" + nested + ")";
    }
    const std::string patterns = AllErrors(Load(R"({"timeline": [{"do": "start"}], "expect": [
        {"log": {"message": ")" + longLiteral + R"(", "match": "regex"}},
        {"log": {"message": ")" + nested + R"(", "match": "regex"}},
        {"log": {"message": "(a{100}){100}", "match": "regex"}},
        {"log": {"message": "(a)\\1", "match": "regex"}}]})"));
    EXPECT_THAT(patterns,
                HasSubstr("$.expect[0].log.message: a regular expression may have at most"));
    EXPECT_THAT(patterns, HasSubstr("$.expect[1].log.message: a regular expression may"));
    EXPECT_THAT(patterns, HasSubstr("$.expect[2].log.message: a regular expression may"));
    EXPECT_THAT(patterns, HasSubstr("$.expect[3].log.message: not a valid regular expression"));

    // Event XML the simulated event log would refuse.
    const std::string xml = AllErrors(Load(R"({"timeline": [
        {"do": "eventLog", "xml": "<Event><System><EventID>1</System></Event>"},
        {"do": "eventLog", "xml": "<Event><System><EventID>4294967296</EventID></System></Event>"}]})"));
    EXPECT_THAT(xml, HasSubstr("$.timeline[0].xml: the event XML needs an <EventID> element"));
    EXPECT_THAT(xml, HasSubstr("$.timeline[1].xml: the event XML needs an <EventID> element"));

    // Clock moves, each within bounds, that together leave the clock's range.
    std::string moves;
    for (int i = 0; i < 24; ++i) {
        moves += R"({"do": "clockChange", "deltaMs": 315360000000},)";
    }
    const std::string clock = AllErrors(Load(R"({"timeline": [)" + moves + R"({"do": "stop"}]})"));
    EXPECT_THAT(clock, HasSubstr("$.timeline[10]: the clock changes so far move the machine's"));
    EXPECT_THAT(Load(R"({"timeline": [)" + moves + R"({"do": "stop"}]})").errors, SizeIs(1));
    Valid(R"({"timeline": [)" + moves.substr(0, moves.size() / 3) +
          R"({"do": "clockChange", "deltaMs": -315360000000}]})");
}

TEST_F(ScenarioParserTest, AnUnknownKeyOfAnySizeIsReportedShortly) {
    const std::string key(1 << 20, 'k');
    const LoadResult result = Load(R"({"timeline": [{"do": "start"}], ")" + key + R"(": 1})");
    ASSERT_THAT(result.errors, SizeIs(1));
    EXPECT_THAT(result.errors[0], HasSubstr("unknown key \"kkkk"));
    EXPECT_THAT(result.errors[0], HasSubstr("...\"; expected one of: name,"));
    EXPECT_LT(result.errors[0].size(), 1000U);
    // A near miss is still named.
    EXPECT_THAT(AllErrors(Load(R"({"timeline": [{"do": "start", "untill": {"log": "x"}}]})")),
                HasSubstr("(did you mean \"until\"?)"));
}

TEST_F(ScenarioParserTest, ReadsControlCodesAsHexAndTimesBeyond2100) {
    const Scenario scenario = Valid(R"({"timeline": [
        {"do": "control", "code": "0xFFFFFFFF"},
        {"do": "control", "code": "0xdc", "eventType": "0x8013"},
        {"do": "timeChange", "oldTimeMs": 4102444800000, "newTimeMs": 7258118400000}]})");
    ASSERT_THAT(scenario.timeline, SizeIs(3));
    EXPECT_EQ(scenario.timeline[0].control, 0xFFFFFFFFu);
    EXPECT_EQ(scenario.timeline[1].control, 220u);
    EXPECT_EQ(scenario.timeline[2].newTimeMs, 7258118400000);
    EXPECT_THAT(AllErrors(Load(R"({"timeline": [{"do": "control", "code": "0x100000000"}]})")),
                HasSubstr("$.timeline[0].code: expected an integer from 0 to 4294967295"));
    EXPECT_THAT(
        AllErrors(Load(
            R"({"timeline": [{"do": "timeChange", "oldTimeMs": 0, "newTimeMs": 9223372036854775807}]})")),
        HasSubstr("$.timeline[0].newTimeMs: expected an integer from"));
}

TEST_F(ScenarioParserTest, EveryShippedScenarioLoads) {
    const LoadResult embedded = LoadScenarioText(DefaultScenarioText(), kDefaultScenarioSource);
    EXPECT_THAT(embedded.errors, IsEmpty()) << AllErrors(embedded);
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(ORV_SOURCE_DIR "/scenarios")) {
        if (entry.path().extension() == ".json") {
            const LoadResult result = LoadScenarioFile(entry.path());
            EXPECT_THAT(result.errors, IsEmpty()) << AllErrors(result);
            EXPECT_THAT(result.scenario.value_or(Scenario{}).expectations, testing::Not(IsEmpty()))
                << entry.path() << " checks nothing";
            ++files;
        }
    }
    EXPECT_GE(files, 30);
}

}  // namespace
}  // namespace orvhost
