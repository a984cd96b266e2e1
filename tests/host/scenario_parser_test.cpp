// Loading scenario files: what a valid file and its arrangements give that the shipped
// scenarios do not show by running, the message each kind of invalid file gets, and the
// manual (docs/scenarios.md) matching the program: its JSON examples load, its step kinds exist.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <regex>
#include <string>
#include <vector>

#include "host/scenario/scenario_parser.h"
#include "manual_examples.h"

namespace orvhost {
namespace {

using orvtest::ManualExample;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::SizeIs;

// Small scenario files: a timeline of `steps`; top-level `members` and a start; a start and
// `expectations`.
std::string Steps(std::string_view steps) {
    return R"({"timeline": [)" + std::string(steps) + "]}";
}

std::string Top(std::string_view members) {
    return "{" + std::string(members) + R"(, "timeline": [{"do": "start"}]})";
}

std::string Expect(std::string_view expectations) {
    return Top(R"("expect": [)" + std::string(expectations) + "]");
}

LoadResult Load(std::string_view text) {
    return LoadScenarioText(text, "t.json");
}

std::string AllErrors(const LoadResult& result) {
    std::string all;
    for (const std::string& error : result.errors) {
        all += error + "\n";
    }
    return all;
}

// `count` clock moves of ten years each, as steps.
std::string TenYearMoves(int count, const char* sign = "") {
    std::string moves;
    for (int i = 0; i < count; ++i) {
        moves += std::string(i == 0 ? "" : ",") + R"({"do": "clockChange", "deltaMs": )" + sign +
                 "315360000000}";
    }
    return moves;
}

TEST(ScenarioParserTest, ReadsDefaultsNamesHexCodesAndTimesBeyond2100) {
    const LoadResult result = Load("// comments are allowed\n" + Steps(R"(
        {"do": "start", "until": {"log": "x"}},
        {"do": "control", "code": "preshutdown"},
        {"do": "waitFor", "call": "C::op"},
        {"do": "together", "steps": [{"do": "stop"}, {"do": "pause", "ms": 5, "after": {"log": "y"}}]},
        {"do": "control", "code": "0xFFFFFFFF"},
        {"do": "control", "code": "0xdc", "eventType": "0x8013"},
        {"do": "timeChange", "oldTimeMs": 4102444800000, "newTimeMs": 7258118400000} /* here */)"));
    ASSERT_THAT(result.errors, IsEmpty()) << AllErrors(result);
    const std::vector<Step>& steps = result.scenario->timeline;
    ASSERT_THAT(steps, SizeIs(7));
    EXPECT_TRUE(steps[0].until->onlyNew) << "an until counts new evidence by default";
    EXPECT_FALSE(steps[2].As<WaitForStep>()->condition.onlyNew)
        << "a waitFor counts all evidence by default";
    EXPECT_FALSE(steps[3].As<TogetherStep>()->steps.at(1).after->onlyNew)
        << "an after counts all evidence by default";
    EXPECT_EQ(steps[1].name, "control 15 (preshutdown)") << "unnamed steps get a name";
    EXPECT_EQ(steps[4].As<ControlStep>()->code, 0xFFFFFFFFu);
    EXPECT_EQ(steps[5].As<ControlStep>()->code, 220u);
    EXPECT_EQ(steps[5].As<ControlStep>()->eventType, 0x8013u);
    EXPECT_EQ(steps[6].As<TimeChangeStep>()->newTimeMs, 7258118400000);

    // Moves that leave the clock's range only together are fine when they come back.
    EXPECT_THAT(Load(Steps(TenYearMoves(8) + "," + TenYearMoves(1, "-"))).errors, IsEmpty());
}

std::string Times(std::optional<unsigned> times) {
    return times ? std::to_string(*times) : "always";
}

std::string Of(const DelayArrangement& d) {
    return d.component + "|" + d.operation + "|" + d.logMessage + "|" + std::to_string(d.ms) + "|" +
           Times(d.times);
}

std::string Of(const ThrowArrangement& t) {
    return t.component + "|" + t.operation + "|" +
           (t.exception == ThrownException::kRuntimeError ? "runtime_error" : "bad_array") + "|" +
           Times(t.times);
}

std::string Of(const FailureArrangement& f) {
    return f.call + "|" + std::to_string(f.code) + "|" + Times(f.times) + "|" +
           (f.serviceOnly ? "service" : "any") + "|" + std::to_string(f.skip);
}

struct Read {
    std::string text;
    std::function<std::string(const Scenario&)> read;
    std::string expected;
};

TEST(ScenarioParserTest, ReadsEachArrangementWithItsDefaults) {
    const auto delay = [](const Scenario& s) { return Of(s.client.delays.at(0)); };
    const auto thrown = [](const Scenario& s) { return Of(s.client.throws.at(0)); };
    const std::vector<Read> reads = {
        {Top(R"("client": {"delays": [{"call": "ORV::utility::IsOOBECompleted", "ms": 3600000}]})"),
         delay, "ORV::utility|IsOOBECompleted||3600000|1"},
        {Top(R"("client": {"delays": [{"log": "S::W: Waiting", "ms": 5, "times": "always"}]})"),
         delay, "||S::W: Waiting|5|always"},
        {Steps(R"({"do": "arrange", "client": {"delays": [{"call": "A::Start", "ms": 0}]}})"),
         [](const Scenario& s) {
             return Of(s.timeline.at(0).As<ArrangeStep>()->client->delays.at(0));
         },
         "A|Start||0|1"},
        // A refused thread reports EAGAIN; a COM call fails with E_FAIL unless told otherwise.
        {Steps(R"({"do": "fail", "call": "CreateThread", "times": 1})"),
         [](const Scenario& s) { return Of(s.timeline.at(0).As<FailStep>()->failure); },
         "CreateThread|11|1|any|0"},
        {Top(R"("machine": {"failures": [{"call": "CoInitializeEx", "times": "always"}]})"),
         [](const Scenario& s) { return Of(s.machine.failures.at(0)); },
         "CoInitializeEx|" + std::to_string(static_cast<std::int32_t>(0x80004005u)) +
             "|always|any|0"},
        {Top(R"("client": {"throws": [{"call": "ORVCore::OnServiceStop", "exception": "runtime_error"}]})"),
         thrown, "ORVCore|OnServiceStop|runtime_error|1"},
        {Steps(
             R"({"do": "arrange", "client": {"throws": [{"call": "P::Notify", "exception": "runtime_error", "times": 3}]}})"),
         [](const Scenario& s) {
             return Of(s.timeline.at(0).As<ArrangeStep>()->client->throws.at(0));
         },
         "P|Notify|runtime_error|3"},
    };
    for (const Read& row : reads) {
        const LoadResult result = Load(row.text);
        ASSERT_THAT(result.errors, IsEmpty()) << row.text << "\n" << AllErrors(result);
        EXPECT_EQ(row.read(*result.scenario), row.expected) << row.text;
    }
}

struct Refusal {
    std::string text;
    std::string error;
};

TEST(ScenarioParserTest, RefusesEachMalformedFileWithThePathAndTheReason) {
    std::string nestedPattern;
    for (int i = 0; i < 5000; ++i) {
        nestedPattern = "(" + nestedPattern + ")";
    }
    const auto regex = [](const std::string& pattern) {
        return Expect(R"({"log": {"message": ")" + pattern + R"(", "match": "regex"}})");
    };
    const auto delays = [](const char* list) {
        return Top(R"("client": {"delays": )" + std::string(list) + "}");
    };
    const auto throws = [](const char* list) {
        return Top(R"("client": {"throws": )" + std::string(list) + "}");
    };
    const std::vector<Refusal> refusals = {
        // Not JSON, or not a scenario at all.
        {R"({"timeline": [{"do": "start"},]})", "JSON syntax"},
        {R"({"timeline": [{"do": "start"}]} {})", "JSON syntax"},
        {R"({"timeline": [], "timeline": []})", "Duplicate key"},
        {"[1, 2]", "$: expected an object, found an array"},
        {"{}", "$: missing required key \"timeline\""},
        {Steps(""), "$.timeline: the timeline has no steps"},
        // Nesting deeper than the reader takes is a problem of the file, not of the program.
        {std::string(1001, '[') + std::string(1001, ']'), "t.json: JSON syntax: nested more than"},
        // Misspelt keys name the key meant.
        {Steps(R"({"do": "start", "untill": {"log": "x"}})"),
         "t.json: $.timeline[0].untill: unknown key \"untill\" (did you mean \"until\"?)"},
        {Expect(R"({"log": "x", "cout": 2})"),
         "$.expect[0].cout: unknown key \"cout\" (did you mean \"count\"?)"},
        {Top(R"("machin": {})"), "$.machin: unknown key \"machin\" (did you mean \"machine\"?)"},
        // Steps that say too much or too little.
        {Steps(R"({"do": "eventLog", "xml": "<EventID>1</EventID>", "timeDeltaMs": 5})"),
         "$.timeline[0]: more than one event: give exactly one of xml, timeDeltaMs, error"},
        {Steps(R"({"do": "registry", "key": "K", "name": "N"})"),
         "$.timeline[0]: no value: give exactly one of string, dword, delete"},
        {Steps(R"({"do": "sessionChange", "reason": "logoff"})"),
         "$.timeline[0]: missing required key \"sessionId\""},
        {Steps(R"({"do": "powerEvent", "eventType": "powerSettingChange"})"),
         "$.timeline[0]: missing required key \"setting\""},
        {Steps(
             R"({"do": "powerEvent", "eventType": 18, "setting": {"guid": "245d8541-3943-4422-b025-13a784f679b7"}})"),
         "$.timeline[0].setting: a power setting goes only with"},
        {Steps(R"({"do": "timeChange", "oldTimeMs": 1000})"),
         "$.timeline[0]: \"oldTimeMs\" and \"newTimeMs\" go together"},
        {Steps(R"({"do": "publish", "topic": 1, "state": 2, "payload": "text", "kind": "zarn"})"),
         "$.timeline[0]: \"kind\", \"messageType\" and \"actionType\" need an object payload"},
        {Steps(R"({"do": "waitFor", "log": "x", "until": {"log": "y"}})"),
         "$.timeline[0].until: \"until\" does not go with this kind of step"},
        {Steps(R"({"do": "fail", "call": "Wait", "clear": true, "times": 2})"),
         "$.timeline[0]: \"clear\" takes no \"code\", \"times\""},
        {Steps(
             R"({"do": "together", "after": {"log": "x"}, "steps": [{"do": "stop"}, {"do": "start"}]})"),
         "$.timeline[0].after: \"after\" does not go with \"together\""},
        // Control codes and times beyond what their fields hold.
        {Steps(R"({"do": "control", "code": "0x100000000"})"),
         "$.timeline[0].code: expected an integer from 0 to 4294967295"},
        {Steps(R"({"do": "timeChange", "oldTimeMs": 0, "newTimeMs": 9223372036854775807})"),
         "$.timeline[0].newTimeMs: expected an integer from"},
        // Event XML the simulated event log would refuse.
        {Steps(R"({"do": "eventLog", "xml": "<Event/>"})"),
         "$.timeline[0].xml: the event XML needs an <EventID> element"},
        {Steps(R"({"do": "eventLog", "xml": "<Event><System><EventID>1</System></Event>"})"),
         "$.timeline[0].xml: the event XML needs an <EventID> element"},
        {Steps(
             R"({"do": "eventLog", "xml": "<Event><System><EventID>4294967296</EventID></System></Event>"})"),
         "$.timeline[0].xml: the event XML needs an <EventID> element"},
        // Clock moves, each within bounds, that together leave the clock's range.
        {Steps(TenYearMoves(24)), "$.timeline[10]: the clock changes so far move the machine's"},
        // Patterns whose compiling or matching would not be bounded, and broken ones.
        {regex(std::string(20000, 'x')),
         "$.expect[0].log.message: a regular expression may have at most"},
        {regex(nestedPattern), "$.expect[0].log.message: a regular expression may"},
        {regex("(a{100}){100}"), "$.expect[0].log.message: a regular expression may"},
        {regex("(a)\\\\1"), "$.expect[0].log.message: not a valid regular expression"},
        {regex("("), "$.expect[0].log.message: not a valid regular expression"},
        // Contradictions within the file; the cross-checks run once each value is well formed.
        {Top(R"("client": {"agents": {"CoreAdapterAgent": {"present": false}}})"),
         "$.client.agents.CoreAdapterAgent: \"CoreAdapterAgent\" is constructed by the service"},
        {Top(R"("client": {"agents": {"MDMAgent": {"constructionFails": true}}})"),
         "$.client.agents.MDMAgent: \"constructionFails\" applies only to"},
        {Expect(R"({"log": "x", "absent": true, "count": 2})"),
         "$.expect[0].absent: \"absent\" and \"count\" exclude each other"},
        {Steps(R"({"do": "together", "steps": [{"do": "stop"}, {"do": "stop"}]})"),
         "$.timeline[0]: at most one \"stop\" may run in a \"together\" group"},
        {Steps(
             R"({"do": "together", "steps": [{"do": "start"}, {"do": "together", "steps": [{"do": "stop"}, {"do": "start"}]}]})"),
         "$.timeline[0].steps[1]: \"together\" groups do not nest"},
        {Steps(
             R"({"do": "check", "expect": [{"duration": {"of": "OnStop", "atLeastMs": 9, "atMostMs": 3}}]})"),
         "$.timeline[0].expect[0]: the duration's \"atLeastMs\" is above its \"atMostMs\""},
        // Arrangements: delays, failures and throws.
        {delays(R"([{"call": "A::b", "log": "x", "ms": 1}])"),
         "$.client.delays[0]: more than one call or log line to delay"},
        {delays(R"([{"ms": 1}])"), "$.client.delays[0]: no call or log line to delay"},
        {delays(R"([{"call": "A::b"}])"), "$.client.delays[0]: missing required key \"ms\""},
        {delays(R"([{"call": "A::b", "ms": -1}])"), "$.client.delays[0].ms: expected an integer"},
        {delays(R"([{"log": "", "ms": 1}])"), "$.client.delays[0].log:"},
        // The same call or line twice in one arrangement would silently replace the first.
        {delays(R"([{"log": "a", "ms": 1}, {"log": "a", "ms": 2}])"),
         "$.client.delays[1]: the log line \"a\" is already arranged to be delayed at "
         "$.client.delays[0]"},
        {delays(R"([{"call": "A::b", "ms": 1}, {"call": "A::b", "ms": 1}])"),
         "$.client.delays[1]: \"A::b\" is already arranged"},
        {Top(R"("client": {"emptyHelperSlots": ["Registry"]})"), "$.client.emptyHelperSlots[0]:"},
        {Top(R"("machine": {"failures": [{"call": "CreateEvent", "caller": "stand-ins"}]})"),
         "$.machine.failures[0].caller:"},
        {Top(R"("machine": {"failures": [{"call": "Wait", "clear": true, "skip": 1}]})"),
         "$.machine.failures[0]: \"clear\" takes no"},
        {throws(R"([{"call": "OnServiceStop", "exception": "runtime_error"}])"),
         "t.json: $.client.throws[0].call: expected \"Component::Operation\""},
        {throws(R"([{"call": {"component": "C"}, "exception": "runtime_error"}])"),
         "$.client.throws[0].call: expected \"Component::operation\""},
        {throws(R"([{"call": "C::op", "exception": "logic_error"}])"),
         "$.client.throws[0].exception: expected one of \"runtime_error\", "
         "\"bad_array_new_length\", found \"logic_error\""},
        {throws(R"([{"call": "C::op", "exception": "runtime_error", "times": 0}])"),
         "$.client.throws[0].times: expected an integer from 1 to 1000000 or \"always\", found 0"},
        {throws(R"([{"call": "C::op", "exception": "runtime_error", "tmies": 2}])"),
         "$.client.throws[0].tmies: unknown key \"tmies\""},
        {throws(R"([{"exception": "runtime_error"}])"),
         "$.client.throws[0]: missing required key \"call\""},
        {throws(
             R"([{"call": "ORVNotificationData::~ORVNotificationData", "exception": "runtime_error"}])"),
         "$.client.throws[0].call: ORVNotificationData::~ORVNotificationData is a destructor"},
        {throws(
             R"([{"call": "ORVPublisherSubscriber::HandlerFailed", "exception": "runtime_error"}])"),
         "$.client.throws[0].call: ORVPublisherSubscriber::HandlerFailed cannot throw"},
        {Steps(R"({"do": "start", "escapes": true})"),
         "$.timeline[0].escapes: expected one of \"runtime_error\""},
        {Steps(R"({"do": "start"}, {"do": "arrange", "client": {"throws": [
           {"call": "ConfigPolicyAgent::AnnounceFullInit", "exception": "runtime_error"}]}})"),
         "$.timeline[1].client.throws[0].call: ConfigPolicyAgent::AnnounceFullInit cannot throw"},
        {Steps(R"({"do": "arrange", "client": {"throws": [
           {"call": "C::op", "exception": "runtime_error"},
           {"call": "C::op", "exception": "bad_array_new_length"}]}})"),
         "$.timeline[0].client.throws[1]: \"C::op\" is already arranged to throw at "
         "$.timeline[0].client.throws[0]"},
    };
    for (const Refusal& row : refusals) {
        const LoadResult result = Load(row.text);
        EXPECT_FALSE(result.scenario.has_value()) << row.error;
        ASSERT_THAT(result.errors, SizeIs(1)) << AllErrors(result);
        EXPECT_THAT(result.errors[0], HasSubstr(row.error));
        EXPECT_LT(result.errors[0].size(), 1000U) << "messages stay short: " << row.error;
    }
}

TEST(ScenarioParserTest, ReportsEveryWrongTypeAndRangeInOnePass) {
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

TEST(ScenarioParserTest, AnUnknownKeyOfAnySizeIsReportedShortly) {
    const std::string key(1 << 20, 'k');
    const LoadResult result = Load(Top("\"" + key + "\": 1"));
    ASSERT_THAT(result.errors, SizeIs(1));
    EXPECT_THAT(result.errors[0], HasSubstr("unknown key \"kkkk"));
    EXPECT_THAT(result.errors[0], HasSubstr("...\"; expected one of: name,"));
    EXPECT_LT(result.errors[0].size(), 1000U);
}

// CTest runs and checks every file; this one makes sure each of them judges something.
TEST(ScenarioParserTest, EveryShippedScenarioExpectsSomething) {
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(ORV_SOURCE_DIR "/scenarios")) {
        if (entry.path().extension() == ".json") {
            const LoadResult result = LoadScenarioFile(entry.path());
            ASSERT_THAT(result.errors, IsEmpty()) << AllErrors(result);
            EXPECT_THAT(result.scenario->expectations, testing::Not(IsEmpty()))
                << entry.path() << " checks nothing";
            ++files;
        }
    }
    EXPECT_GE(files, 30);
}

class DocumentationTest : public ::testing::Test {
  protected:
    // The example inside the smallest scenario that can hold it.
    static std::string AsScenario(const ManualExample& example) {
        if (example.tag == "machine" || example.tag == "client") {
            return Top("\"" + example.tag + "\": " + example.text);
        }
        return example.tag == "scenario" ? example.text
               : example.tag == "step"   ? Steps(example.text)
                                         : Expect(example.text);
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
