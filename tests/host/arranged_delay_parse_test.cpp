// Scenario files that slow a call or a log line, aim a platform failure at the service, or
// empty a helper-factory slot: how they are read, and what is refused before anything runs.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "host/scenario_parser.h"

namespace orvhost {
namespace {

using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::SizeIs;

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

TEST(ArrangedDelayParseTest, ReadsCallAndLogDelaysFailureTargetsAndEmptySlots) {
    const LoadResult result = Load(R"({
      "machine": {"failures": [{"call": "CreateEvent", "caller": "service", "skip": 3, "times": 1}]},
      "client": {
        "delays": [
          {"call": "ORV::utility::IsOOBECompleted", "ms": 3600000},
          {"log": "OrvClientService::OrvWorkerThread: Waiting for FullInit event", "ms": 5, "times": "always"}],
        "emptyHelperSlots": ["MachineInformation"]},
      "timeline": [
        {"do": "fail", "call": "CreateThread", "times": 1},
        {"do": "arrange", "client": {"delays": [{"call": "DeviceContextEventMonitor::Start", "ms": 0}]}}]})");
    ASSERT_THAT(result.errors, IsEmpty()) << AllErrors(result);
    const Scenario& scenario = *result.scenario;

    ASSERT_THAT(scenario.client.delays, SizeIs(2));
    const DelayArrangement& call = scenario.client.delays[0];
    EXPECT_EQ(call.component, "ORV::utility");
    EXPECT_EQ(call.operation, "IsOOBECompleted");
    EXPECT_EQ(call.ms, 3600000);
    EXPECT_EQ(call.times, 1u);
    const DelayArrangement& line = scenario.client.delays[1];
    EXPECT_EQ(line.logMessage, "OrvClientService::OrvWorkerThread: Waiting for FullInit event");
    EXPECT_TRUE(line.component.empty());
    EXPECT_EQ(line.times, std::nullopt) << "always";
    EXPECT_EQ(scenario.client.emptyHelperSlots, std::vector<std::string>{"MachineInformation"});

    ASSERT_THAT(scenario.machine.failures, SizeIs(1));
    EXPECT_TRUE(scenario.machine.failures[0].serviceOnly);
    EXPECT_EQ(scenario.machine.failures[0].skip, 3u);
    EXPECT_EQ(scenario.machine.failures[0].code, 5);

    ASSERT_TRUE(scenario.timeline[0].failure);
    EXPECT_FALSE(scenario.timeline[0].failure->serviceOnly);
    EXPECT_EQ(scenario.timeline[0].failure->code, 11) << "a refused thread reports EAGAIN";
    ASSERT_TRUE(scenario.timeline[1].client);
    EXPECT_EQ(scenario.timeline[1].client->delays.at(0).operation, "Start");
}

TEST(ArrangedDelayParseTest, RefusesDelaysThatSayTooMuchOrTooLittle) {
    const std::string errors = AllErrors(Load(R"({
      "machine": {"failures": [{"call": "CreateEvent", "caller": "stand-ins"},
                               {"call": "Wait", "clear": true, "skip": 1}]},
      "client": {
        "delays": [
          {"call": "ConfigPolicyAgent::Init", "log": "x", "ms": 1},
          {"ms": 1},
          {"call": "ConfigPolicyAgent::Init"},
          {"call": "ConfigPolicyAgent::Init", "ms": -1, "times": 0},
          {"log": "", "ms": 1}],
        "emptyHelperSlots": ["Registry"]},
      "timeline": [{"do": "stop"}]})"));
    EXPECT_THAT(errors, HasSubstr("$.client.delays[0]: more than one call or log line to delay"));
    EXPECT_THAT(errors, HasSubstr("$.client.delays[1]: no call or log line to delay"));
    EXPECT_THAT(errors, HasSubstr("$.client.delays[2]: missing required key \"ms\""));
    EXPECT_THAT(errors, HasSubstr("$.client.delays[3].ms:"));
    EXPECT_THAT(errors, HasSubstr("$.client.delays[3].times:"));
    EXPECT_THAT(errors, HasSubstr("$.client.delays[4].log:"));
    EXPECT_THAT(errors, HasSubstr("$.client.emptyHelperSlots[0]:"));
    EXPECT_THAT(errors, HasSubstr("$.machine.failures[0].caller:"));
    EXPECT_THAT(errors, HasSubstr("$.machine.failures[1]: \"clear\" takes no"));

    // The same call or line twice in one arrangement would silently replace the first.
    const std::string twice = AllErrors(Load(R"({
      "client": {"delays": [{"log": "a", "ms": 1}, {"log": "a", "ms": 2},
                            {"call": "A::b", "ms": 1}, {"call": "A::b", "ms": 1}]},
      "timeline": [{"do": "stop"}]})"));
    EXPECT_THAT(twice, HasSubstr("$.client.delays[1]: the log line \"a\" is already arranged to "
                                 "be delayed at $.client.delays[0]"));
    EXPECT_THAT(twice, HasSubstr("$.client.delays[3]: \"A::b\" is already arranged"));
}

}  // namespace
}  // namespace orvhost
