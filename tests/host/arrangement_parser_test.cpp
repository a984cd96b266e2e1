// How the arrangements of a scenario file are read: platform failures, delayed calls and log
// lines, thrown exceptions and empty helper slots, and what is refused before anything runs.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "scenario_text.h"

namespace orvhost {
namespace {

using namespace testing_text;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

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

TEST(ArrangementParserTest, ReadsEachArrangementWithItsDefaults) {
    const auto delay = [](const Scenario& s) { return Of(s.client.delays.at(0)); };
    const auto thrown = [](const Scenario& s) { return Of(s.client.throws.at(0)); };
    const std::vector<Read> reads = {
        {Top(R"("client": {"delays": [{"call": "ORV::utility::IsOOBECompleted", "ms": 3600000}]})"),
         delay, "ORV::utility|IsOOBECompleted||3600000|1"},
        {Top(R"("client": {"delays": [{"log": "S::W: Waiting", "ms": 5, "times": "always"}]})"),
         delay, "||S::W: Waiting|5|always"},
        {Steps(R"({"do": "arrange", "client": {"delays": [{"call": "A::Start", "ms": 0}]}})"),
         [](const Scenario& s) { return Of(s.timeline.at(0).client->delays.at(0)); },
         "A|Start||0|1"},
        // A refused thread reports EAGAIN; a COM call fails with E_FAIL unless told otherwise.
        {Steps(R"({"do": "fail", "call": "CreateThread", "times": 1})"),
         [](const Scenario& s) { return Of(*s.timeline.at(0).failure); },
         "CreateThread|11|1|any|0"},
        {Top(R"("machine": {"failures": [{"call": "CoInitializeEx", "times": "always"}]})"),
         [](const Scenario& s) { return Of(s.machine.failures.at(0)); },
         "CoInitializeEx|" + std::to_string(static_cast<std::int32_t>(0x80004005u)) +
             "|always|any|0"},
        {Top(R"("client": {"throws": [{"call": "ORVCore::OnServiceStop", "exception": "runtime_error"}]})"),
         thrown, "ORVCore|OnServiceStop|runtime_error|1"},
        {Steps(
             R"({"do": "arrange", "client": {"throws": [{"call": "P::Notify", "exception": "runtime_error", "times": 3}]}})"),
         [](const Scenario& s) { return Of(s.timeline.at(0).client->throws.at(0)); },
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
    const char* error;
};

TEST(ArrangementParserTest, RefusesEachMalformedArrangementByPath) {
    const auto delays = [](const char* list) {
        return Top(R"("client": {"delays": )" + std::string(list) + "}");
    };
    const auto throws = [](const char* list) {
        return Top(R"("client": {"throws": )" + std::string(list) + "}");
    };
    const std::vector<Refusal> refusals = {
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
        EXPECT_FALSE(result.scenario.has_value()) << row.text;
        EXPECT_THAT(AllErrors(result), HasSubstr(row.error)) << row.text;
    }
}

}  // namespace
}  // namespace orvhost
