// Scenario files that make the stand-ins throw: how "throws" and "escapes" are read, and
// what is refused before anything runs.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "host/scenario_parser.h"

namespace orvhost {
namespace {

using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::SizeIs;

class ThrownExceptionTest : public ::testing::Test {
  protected:
    static LoadResult Load(std::string_view text) { return LoadScenarioText(text, "t.json"); }

    static std::string AllErrors(const LoadResult& result) {
        std::string all;
        for (const std::string& error : result.errors) {
            all += error + "\n";
        }
        return all;
    }
};

TEST_F(ThrownExceptionTest, ReadsCallsKindsAndCountsInitiallyAndInArrangeSteps) {
    const LoadResult result = Load(R"({
      "client": {"throws": [
        {"call": "ORVCore::OnServiceStop", "exception": "runtime_error"},
        {"call": "StorageCollector::HardDiskInfoCollector::IsDriveTypeHDD",
         "exception": "bad_array_new_length", "times": "always"}]},
      "timeline": [
        {"do": "start", "escapes": "bad_array_new_length"},
        {"do": "arrange", "client": {"throws": [
          {"call": "ORVPublisherSubscriber::Notify", "exception": "runtime_error", "times": 3}]}},
        {"do": "stop", "escapes": "runtime_error"}]})");
    ASSERT_THAT(result.errors, IsEmpty()) << AllErrors(result);
    const Scenario& scenario = *result.scenario;

    ASSERT_THAT(scenario.client.throws, SizeIs(2));
    const ThrowArrangement& first = scenario.client.throws[0];
    EXPECT_EQ(first.component, "ORVCore");
    EXPECT_EQ(first.operation, "OnServiceStop");
    EXPECT_EQ(first.exception, ThrownException::kRuntimeError);
    EXPECT_EQ(first.times, 1u) << "once unless the file says otherwise";
    const ThrowArrangement& second = scenario.client.throws[1];
    EXPECT_EQ(second.component, "StorageCollector::HardDiskInfoCollector");
    EXPECT_EQ(second.operation, "IsDriveTypeHDD");
    EXPECT_EQ(second.exception, ThrownException::kBadArrayNewLength);
    EXPECT_FALSE(second.times.has_value()) << "always";

    EXPECT_EQ(scenario.timeline[0].escapes, ThrownException::kBadArrayNewLength);
    ASSERT_TRUE(scenario.timeline[1].client.has_value());
    EXPECT_EQ(scenario.timeline[1].client->throws.at(0).times, 3u);
    EXPECT_EQ(scenario.timeline[2].escapes, ThrownException::kRuntimeError);
}

TEST_F(ThrownExceptionTest, ReportsEveryMalformedArrangementByPath) {
    const LoadResult result = Load(R"({
      "client": {"throws": [
        {"call": "OnServiceStop", "exception": "runtime_error"},
        {"call": "ORVCore::OnServiceStop", "exception": "logic_error"},
        {"call": "ORVCore::GetInst_CoreApi", "exception": "runtime_error", "times": 0},
        {"call": {"component": "ORVCore"}, "exception": "runtime_error"},
        {"call": "ORVCore::OnServiceStop", "exception": "runtime_error", "tmies": 2},
        {"exception": "runtime_error"}]},
      "timeline": [{"do": "start", "escapes": true}]})");
    EXPECT_FALSE(result.scenario.has_value());
    const std::string errors = AllErrors(result);
    EXPECT_THAT(errors,
                HasSubstr("t.json: $.client.throws[0].call: expected \"Component::Operation\""));
    EXPECT_THAT(errors,
                HasSubstr("$.client.throws[1].exception: expected one of \"runtime_error\", "
                          "\"bad_array_new_length\", found \"logic_error\""));
    EXPECT_THAT(errors, HasSubstr("$.client.throws[2].times: expected an integer from 1 to 1000000 "
                                  "or \"always\", found 0"));
    EXPECT_THAT(errors, HasSubstr("$.client.throws[3].call: expected \"Component::operation\""));
    EXPECT_THAT(errors, HasSubstr("$.client.throws[4].tmies: unknown key \"tmies\""));
    EXPECT_THAT(errors, HasSubstr("$.client.throws[5]"));
    EXPECT_THAT(errors, HasSubstr("$.timeline[0].escapes: expected one of \"runtime_error\""));
}

TEST_F(ThrownExceptionTest, RefusesCallsThatCannotThrowAndCallsArrangedTwice) {
    const LoadResult result = Load(R"({
      "client": {"throws": [
        {"call": "ORVNotificationData::~ORVNotificationData", "exception": "runtime_error"},
        {"call": "ORVPublisherSubscriber::HandlerFailed", "exception": "runtime_error"}]},
      "timeline": [{"do": "start"}, {"do": "arrange", "client": {"throws": [
        {"call": "ConfigPolicyAgent::AnnounceFullInit", "exception": "runtime_error"}]}}]})");
    EXPECT_FALSE(result.scenario.has_value());
    const std::string errors = AllErrors(result);
    EXPECT_THAT(errors, HasSubstr("$.client.throws[0].call: "
                                  "ORVNotificationData::~ORVNotificationData is a destructor"));
    EXPECT_THAT(errors, HasSubstr("$.client.throws[1].call: ORVPublisherSubscriber::HandlerFailed "
                                  "cannot throw"));
    EXPECT_THAT(errors, HasSubstr("$.timeline[1].client.throws[0].call: "
                                  "ConfigPolicyAgent::AnnounceFullInit cannot throw"));

    const LoadResult twice = Load(R"({
      "timeline": [{"do": "arrange", "client": {"throws": [
        {"call": "ORVCore::OnServiceStop", "exception": "runtime_error"},
        {"call": "ORVCore::OnServiceStop", "exception": "bad_array_new_length"}]}}]})");
    EXPECT_FALSE(twice.scenario.has_value());
    EXPECT_THAT(AllErrors(twice),
                HasSubstr("$.timeline[0].client.throws[1]: \"ORVCore::OnServiceStop\" "
                          "is already arranged to throw at "
                          "$.timeline[0].client.throws[0]"));
}

}  // namespace
}  // namespace orvhost
