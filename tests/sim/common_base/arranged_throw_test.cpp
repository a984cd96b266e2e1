#include <gtest/gtest.h>

#include <atomic>
#include <new>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "sim/common_base/control.h"
#include "sim/trace.h"
#include "test_support.h"

namespace {

using orvsim::ArrangedException;

class ArrangedThrowTest : public orvtest::CommonBaseFixture {};

// Calls the traced operation and tells what came out of it: "" when nothing was thrown.
std::string Outcome(const char* component, const char* operation) {
    try {
        orvsim::TraceCall(component, operation, 7);
    } catch (const std::bad_array_new_length&) {
        return "bad_array_new_length";
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return "";
}

TEST_F(ArrangedThrowTest, ThrowsTheGivenNumberOfTimesAfterRecordingTheEntry) {
    orvsim::ArrangeThrow("ORVCore", "OnServiceStop", ArrangedException::kRuntimeError, 2);

    // Only the exact component and operation.
    for (const auto& [component, operation] : {std::pair{"ORVCore", "OnServiceStopDone"},
                                               {"ORVCoreX", "OnServiceStop"},
                                               {"orvcore", "OnServiceStop"}}) {
        EXPECT_EQ(Outcome(component, operation), "") << component << "::" << operation;
    }
    EXPECT_EQ(Outcome("ORVCore", "OnServiceStop"), "arranged failure of ORVCore::OnServiceStop");
    EXPECT_EQ(Outcome("ORVCore", "OnServiceStop"), "arranged failure of ORVCore::OnServiceStop");
    EXPECT_EQ(Outcome("ORVCore", "OnServiceStop"), "");

    // Each throwing call is in the trace, with its arguments, like any other.
    const auto entries = orvsim::TraceOf("ORVCore", "OnServiceStop");
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].arguments, std::vector<std::string>{"7"});
}

TEST_F(ArrangedThrowTest, ALaterArrangementReplacesAndZeroThrowsUntilClearedOrReset) {
    orvsim::ArrangeThrow("A", "b", ArrangedException::kRuntimeError, 1);
    orvsim::ArrangeThrow("A", "b", ArrangedException::kBadArrayNewLength, 0);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(Outcome("A", "b"), "bad_array_new_length");
    }
    orvsim::ClearArrangedThrows();
    EXPECT_EQ(Outcome("A", "b"), "");

    orvsim::ArrangeThrow("A", "b", ArrangedException::kRuntimeError, -1);
    orvsim::ClearTrace();  // the trace's entries only
    EXPECT_NE(Outcome("A", "b"), "");
    orvsim::ResetCommonBase();
    EXPECT_EQ(Outcome("A", "b"), "");
}

TEST_F(ArrangedThrowTest, SilencedCallsNeitherRecordNorThrow) {
    orvsim::ArrangeThrow("A", "b", ArrangedException::kRuntimeError, 1);
    {
        orvsim::TraceSilence quiet;
        EXPECT_EQ(Outcome("A", "b"), "");
    }
    EXPECT_EQ(orvsim::TraceCount("A", "b"), 0u);
    // The silenced call did not use the arrangement up.
    EXPECT_NE(Outcome("A", "b"), "");
}

TEST_F(ArrangedThrowTest, ARefusedArrangementLeavesNothingBehind) {
    // Which calls are refused, and why, is checked where scenarios are read.
    EXPECT_THROW(orvsim::ArrangeThrow("ORVNotificationData", "~ORVNotificationData",
                                      ArrangedException::kRuntimeError),
                 std::invalid_argument);
    EXPECT_THROW(orvsim::ArrangeThrow("", "Notify", ArrangedException::kRuntimeError),
                 std::invalid_argument);
    EXPECT_EQ(Outcome("ORVNotificationData", "~ORVNotificationData"), "");
}

TEST_F(ArrangedThrowTest, CountedThrowsAreSharedAcrossThreads) {
    constexpr int kThreads = 4;
    constexpr int kCallsEach = 200;
    orvsim::ArrangeThrow("A", "b", ArrangedException::kRuntimeError, 3);
    std::atomic<int> thrown{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < kCallsEach; ++i) {
                if (!Outcome("A", "b").empty()) {
                    ++thrown;
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(thrown.load(), 3);
    EXPECT_EQ(orvsim::TraceCount("A", "b"), static_cast<std::size_t>(kThreads * kCallsEach));
}

}  // namespace
