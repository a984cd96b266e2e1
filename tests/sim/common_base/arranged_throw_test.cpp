#include <gtest/gtest.h>

#include <atomic>
#include <new>
#include <stdexcept>
#include <string>
#include <thread>
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

    EXPECT_EQ(Outcome("ORVCore", "GetInst_CoreApi"), "");
    EXPECT_EQ(Outcome("ORVCore", "OnServiceStop"), "arranged failure of ORVCore::OnServiceStop");
    EXPECT_EQ(Outcome("ORVCore", "OnServiceStop"), "arranged failure of ORVCore::OnServiceStop");
    EXPECT_EQ(Outcome("ORVCore", "OnServiceStop"), "");

    // Each throwing call is in the trace, with its arguments, like any other.
    const auto entries = orvsim::TraceOf("ORVCore", "OnServiceStop");
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].arguments, std::vector<std::string>{"7"});
}

TEST_F(ArrangedThrowTest, AlwaysThrowsUntilClearedOrReset) {
    orvsim::ArrangeThrow("StorageCollector::HardDiskInfoCollector", "IsDriveTypeHDD",
                         ArrangedException::kBadArrayNewLength, 0);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(Outcome("StorageCollector::HardDiskInfoCollector", "IsDriveTypeHDD"),
                  "bad_array_new_length");
    }
    orvsim::ClearArrangedThrows();
    EXPECT_EQ(Outcome("StorageCollector::HardDiskInfoCollector", "IsDriveTypeHDD"), "");

    orvsim::ArrangeThrow("A", "b", ArrangedException::kRuntimeError, -1);
    orvsim::ClearTrace();  // the trace's entries only
    EXPECT_NE(Outcome("A", "b"), "");
    orvsim::ResetCommonBase();
    EXPECT_EQ(Outcome("A", "b"), "");
}

TEST_F(ArrangedThrowTest, MatchesComponentAndOperationExactlyAndLaterArrangementReplaces) {
    orvsim::ArrangeThrow("A", "b", ArrangedException::kRuntimeError, 0);
    EXPECT_EQ(Outcome("A", "bDone"), "");
    EXPECT_EQ(Outcome("AA", "b"), "");
    EXPECT_EQ(Outcome("a", "b"), "");

    orvsim::ArrangeThrow("A", "b", ArrangedException::kBadArrayNewLength, 1);
    EXPECT_EQ(Outcome("A", "b"), "bad_array_new_length");
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

TEST_F(ArrangedThrowTest, RefusesCallsThatCannotThrow) {
    const auto refusal = [](const char* component, const char* operation) {
        try {
            orvsim::ArrangeThrow(component, operation, ArrangedException::kRuntimeError);
        } catch (const std::invalid_argument& error) {
            return std::string(error.what());
        }
        return std::string();
    };
    EXPECT_NE(refusal("ORVNotificationData", "~ORVNotificationData").find("destructor"),
              std::string::npos);
    EXPECT_NE(refusal("ORVPublisherSubscriber", "HandlerFailed").find("delivery thread"),
              std::string::npos);
    EXPECT_NE(refusal("ConfigPolicyAgent", "AnnounceFullInit").find("announcer"),
              std::string::npos);
    EXPECT_NE(refusal("", "Notify"), "");
    EXPECT_NE(refusal("ORVPublisherSubscriber", ""), "");
    EXPECT_EQ(refusal("ORVPublisherSubscriber", "Notify"), "");

    // A refused arrangement leaves nothing behind.
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
