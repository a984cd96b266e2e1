// Throws, delays and pauses arranged on traced stand-in calls, where the scenarios and service
// tests do not reach: exact matching, counts, silenced calls, replacement, a throw after a delay.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <new>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "sim/common_base/common_base_control.h"
#include "sim/trace.h"
#include "test_support.h"
#include "winapi/control/clock.h"
#include "winapi/windows_api.h"

namespace {

using orvsim::ArrangedException;
using std::chrono::hours;
using std::chrono::milliseconds;
using ::testing::ElementsAre;

class ArrangedCallTest : public orvtest::CommonBaseFixture {};

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

// Whether a call on another thread is held until the machine's clock, jumped an hour once the
// call is traced, lets it go; and what it threw. At clock scale 1 only the jump makes an hour.
std::pair<bool, std::string> HeldCall(const char* component, const char* operation) {
    orvsim::ClearTrace();
    const milliseconds began = winsim::clock::MonotonicNow();
    milliseconds ended{0};
    std::string outcome;
    std::thread caller([&] {
        outcome = Outcome(component, operation);
        ended = winsim::clock::MonotonicNow();
    });
    EXPECT_TRUE(orvtest::EventuallyTraced(component, operation));
    winsim::clock::Advance(hours(1));
    caller.join();
    return {ended - began >= hours(1), outcome};
}

bool GoesStraightThrough(const char* component, const char* operation) {
    const milliseconds began = winsim::clock::MonotonicNow();
    orvsim::TraceCall(component, operation);
    return winsim::clock::MonotonicNow() - began < hours(1);
}

TEST_F(ArrangedCallTest, ThrowsTheArrangedNumberOfTimesAfterRecordingOnlyTheExactCall) {
    orvsim::ArrangeThrow("ORVCore", "OnServiceStop", ArrangedException::kRuntimeError, 2);
    for (const auto& [component, operation] : {std::pair{"ORVCore", "OnServiceStopDone"},
                                               {"ORVCoreX", "OnServiceStop"},
                                               {"orvcore", "OnServiceStop"}}) {
        EXPECT_EQ(Outcome(component, operation), "") << component << "::" << operation;
    }
    // A silenced call neither records nor throws, and leaves the arrangement unused.
    {
        orvsim::TraceSilence quiet;
        EXPECT_EQ(Outcome("ORVCore", "OnServiceStop"), "");
    }
    EXPECT_EQ(Outcome("ORVCore", "OnServiceStop"), "arranged failure of ORVCore::OnServiceStop");
    EXPECT_EQ(Outcome("ORVCore", "OnServiceStop"), "arranged failure of ORVCore::OnServiceStop");
    EXPECT_EQ(Outcome("ORVCore", "OnServiceStop"), "");
    const auto entries = orvsim::TraceOf("ORVCore", "OnServiceStop");
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].arguments, std::vector<std::string>{"7"});

    // A later arrangement replaces the earlier; zero throws until cleared, -1 until reset.
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

TEST_F(ArrangedCallTest, DelaysHoldCallsAfterRecordingThemAsOftenAsArrangedAndBeforeAThrow) {
    orvsim::ArrangeDelay("ConfigPolicyAgent", "ValidateConfigForDelayStart", hours(1), 1);
    EXPECT_EQ(HeldCall("ConfigPolicyAgent", "ValidateConfigForDelayStart"),
              std::pair(true, std::string()));
    EXPECT_TRUE(GoesStraightThrough("ConfigPolicyAgent", "ValidateConfigForDelayStart"));

    orvsim::ArrangeDelay("ORVCore", "OnServiceStop", hours(1), 0);
    orvsim::ArrangeThrow("ORVCore", "OnServiceStop", ArrangedException::kRuntimeError, 1);
    EXPECT_EQ(HeldCall("ORVCore", "OnServiceStop"),
              std::pair(true, std::string("arranged failure of ORVCore::OnServiceStop")));
    EXPECT_EQ(HeldCall("ORVCore", "OnServiceStop"), std::pair(true, std::string()));
    orvsim::ClearArrangedDelays();
    EXPECT_TRUE(GoesStraightThrough("ORVCore", "OnServiceStop"));
}

TEST_F(ArrangedCallTest, APauseHoldsTheNextMatchingCallOnceWhileOthersTrace) {
    orvsim::ArrangePause("cleared", "call", [] { ADD_FAILURE() << "cleared pauses never run"; });
    orvsim::ClearArrangedPauses();
    std::uint32_t pausedThread = 0;
    orvsim::ArrangePause("held", "call", [] { ADD_FAILURE() << "replaced by the next one"; });
    orvsim::ArrangePause("held", "call", [&pausedThread] {
        pausedThread = GetCurrentThreadId();
        EXPECT_EQ(orvsim::TraceCount("held", "call"), 1U) << "recorded before the pause";
        // Outside the trace's lock: another thread's call is recorded meanwhile.
        std::thread other([] { orvsim::TraceCall("other", "call"); });
        other.join();
    });

    orvsim::TraceCall("cleared", "call");
    orvsim::TraceCall("held", "call");
    orvsim::TraceCall("held", "call");  // taken once: no pause now
    EXPECT_EQ(pausedThread, GetCurrentThreadId());
    std::vector<std::string> calls;
    for (const orvsim::TraceEntry& entry : orvsim::TraceSnapshot()) {
        calls.push_back(entry.component);
    }
    EXPECT_THAT(calls, ElementsAre("cleared", "held", "other", "held"));
}

}  // namespace
