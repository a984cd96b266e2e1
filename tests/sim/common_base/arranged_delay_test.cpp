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

TEST_F(ArrangedDelayTest, HoldsTheGivenNumberOfCallsForMachineTimeAfterRecordingThem) {
    orvsim::ArrangeDelay("ConfigPolicyAgent", "ValidateConfigForDelayStart", hours(1), 1);

    // The entry is there while the caller is still held, and only the clock lets it go.
    EXPECT_GE(
        MachineTimeOf([] { orvsim::TraceCall("ConfigPolicyAgent", "ValidateConfigForDelayStart"); },
                      [] { return Traced("ConfigPolicyAgent", "ValidateConfigForDelayStart"); }),
        hours(1));

    // The arrangement is used up: the next call goes straight through.
    const milliseconds began = winsim::clock::MonotonicNow();
    orvsim::TraceCall("ConfigPolicyAgent", "ValidateConfigForDelayStart");
    EXPECT_LT(winsim::clock::MonotonicNow() - began, hours(1));
}

TEST_F(ArrangedDelayTest, AThrowArrangedTooComesAfterTheDelay) {
    orvsim::ArrangeDelay("ORVCore", "OnServiceStop", hours(1), 0);
    orvsim::ArrangeThrow("ORVCore", "OnServiceStop", orvsim::ArrangedException::kRuntimeError);
    bool threw = false;
    EXPECT_GE(MachineTimeOf(
                  [&] {
                      try {
                          orvsim::TraceCall("ORVCore", "OnServiceStop");
                      } catch (const std::runtime_error&) {
                          threw = true;
                      }
                  },
                  [] { return Traced("ORVCore", "OnServiceStop"); }),
              hours(1));
    EXPECT_TRUE(threw);

    // "Every call" holds the next one too, until cleared.
    orvsim::ClearTrace();
    EXPECT_GE(MachineTimeOf([] { orvsim::TraceCall("ORVCore", "OnServiceStop"); },
                            [] { return Traced("ORVCore", "OnServiceStop"); }),
              hours(1));
    orvsim::ClearArrangedDelays();
    const milliseconds began = winsim::clock::MonotonicNow();
    orvsim::TraceCall("ORVCore", "OnServiceStop");
    EXPECT_LT(winsim::clock::MonotonicNow() - began, hours(1));
}

TEST_F(ArrangedDelayTest, RefusesOnlyCallsWithoutAName) {
    EXPECT_THROW(orvsim::ArrangeDelay("", "Init", hours(1)), std::invalid_argument);
    EXPECT_THROW(orvsim::ArrangeDelay("ConfigPolicyAgent", "", hours(1)), std::invalid_argument);
    // A slow call on a stand-in's own thread or in a destructor ends nothing, unlike a throw.
    EXPECT_EQ(orvsim::ArrangeDelayRefusal("ConfigPolicyAgent", "AnnounceFullInit"), "");
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
