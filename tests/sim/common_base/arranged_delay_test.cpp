#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <thread>

#include "sim/common_base/control.h"
#include "sim/common_base/log_control.h"
#include "sim/trace.h"
#include "test_support.h"
#include "winapi/sim/clock.h"

namespace {

using std::chrono::hours;
using std::chrono::milliseconds;

class ArrangedDelayTest : public orvtest::CommonBaseFixture {};

// Runs `call` on a thread of its own, lets the machine's clock jump by an hour once `held`
// has become true, and returns how much machine time the call took. At clock scale 1 only
// the jump can make an hour pass while a test runs.
template <class Call, class Held>
milliseconds MachineTimeOf(Call call, Held held) {
    const milliseconds began = winsim::clock::MonotonicNow();
    milliseconds ended{0};
    std::thread caller([&] {
        call();
        ended = winsim::clock::MonotonicNow();
    });
    EXPECT_TRUE(held());
    winsim::clock::Advance(hours(1));
    caller.join();
    return ended - began;
}

bool Traced(const char* component, const char* operation) {
    return orvsim::WaitForTrace(
        [&](const orvsim::TraceEntry& entry) {
            return entry.component == component && entry.operation == operation;
        },
        std::chrono::seconds(30));
}

// The machine time one call of component::operation took; an arranged throw is caught and
// noted in `threw`.
milliseconds Held(const char* component, const char* operation, bool* threw = nullptr) {
    orvsim::ClearTrace();
    return MachineTimeOf(
        [&] {
            try {
                orvsim::TraceCall(component, operation);
            } catch (const std::runtime_error&) {
                *threw = true;
            }
        },
        [&] { return Traced(component, operation); });
}

bool GoesStraightThrough(const char* component, const char* operation) {
    const milliseconds began = winsim::clock::MonotonicNow();
    orvsim::TraceCall(component, operation);
    return winsim::clock::MonotonicNow() - began < hours(1);
}

TEST_F(ArrangedDelayTest, HoldsCallsForMachineTimeAfterRecordingThemAsOftenAsArranged) {
    // The entry is there while the caller is still held, and only the clock lets it go.
    orvsim::ArrangeDelay("ConfigPolicyAgent", "ValidateConfigForDelayStart", hours(1), 1);
    EXPECT_GE(Held("ConfigPolicyAgent", "ValidateConfigForDelayStart"), hours(1));
    EXPECT_TRUE(GoesStraightThrough("ConfigPolicyAgent", "ValidateConfigForDelayStart"));

    // "Every call" holds each one until cleared; a throw arranged too comes after the delay.
    orvsim::ArrangeDelay("ORVCore", "OnServiceStop", hours(1), 0);
    orvsim::ArrangeThrow("ORVCore", "OnServiceStop", orvsim::ArrangedException::kRuntimeError, 1);
    bool threw = false;
    EXPECT_GE(Held("ORVCore", "OnServiceStop", &threw), hours(1));
    EXPECT_TRUE(threw);
    EXPECT_GE(Held("ORVCore", "OnServiceStop", &threw), hours(1));
    orvsim::ClearArrangedDelays();
    EXPECT_TRUE(GoesStraightThrough("ORVCore", "OnServiceStop"));
}

TEST_F(ArrangedDelayTest, RefusesOnlyCallsWithoutAName) {
    EXPECT_THROW(orvsim::ArrangeDelay("", "Init", hours(1)), std::invalid_argument);
    EXPECT_THROW(orvsim::ArrangeDelay("ConfigPolicyAgent", "", hours(1)), std::invalid_argument);
    // A slow call on a stand-in's own thread or in a destructor ends nothing, unlike a throw.
    EXPECT_EQ(orvsim::ArrangeDelayRefusal("ORVNotificationData", "~ORVNotificationData"), "");
    EXPECT_THROW(orvsim::ArrangeDelay("A", "b", milliseconds(-1)), std::invalid_argument);
}

TEST_F(ArrangedDelayTest, ASlowLogHoldsOnlyTheWriterOfTheArrangedLineAfterWritingIt) {
    orvsim::ArrangeLogDelay(L"Worker: Waiting for FullInit event", hours(1));

    const milliseconds taken =
        MachineTimeOf([] { ORV::g_log.d(L"%s: Waiting for FullInit event", L"Worker"); },
                      [] {
                          // Another thread still logs while the writer is held.
                          ORV::g_log.d(L"%s: meanwhile", L"Other");
                          return orvsim::WaitForLog(
                              [](const orvsim::LogRecord& record) {
                                  return record.message == L"Worker: Waiting for FullInit event";
                              },
                              std::chrono::seconds(30));
                      });
    EXPECT_GE(taken, hours(1));
    EXPECT_TRUE(orvsim::HasLogMessage(L"Other: meanwhile"));

    // Used up, and other lines were never held.
    const milliseconds began = winsim::clock::MonotonicNow();
    ORV::g_log.d(L"%s: Waiting for FullInit event", L"Worker");
    EXPECT_LT(winsim::clock::MonotonicNow() - began, hours(1));
}

}  // namespace
