// Stand-ins whose traced call was arranged to throw: their own state stays whole, and the
// effect of the call is there or not as the trace's contract says.

#include <gtest/gtest.h>

#include <atomic>
#include <new>
#include <stdexcept>
#include <thread>

#include "client_fixture.h"
#include "platform/shared_native/publisher_subscriber.h"
#include "shared/com_init.h"
#include "shared/notification_data.h"
#include "sim/client/control.h"
#include "sim/trace.h"

namespace {

using orvsim::ArrangedException;

class ThrownCallTest : public orvtest::ClientFixture {
  protected:
    static ORVPublisherSubscriber& Bus() { return *ORVPublisherSubscriber::GetInstance(); }

    static void Publish(int topic, int state) {
        ORVNotificationData notification(topic, state, L"");
        Bus().Notify(notification, L"");
    }
};

TEST_F(ThrownCallTest, BusStaysUsableWhenItsCallsThrow) {
    std::atomic<int> delivered{0};
    orvsim::ArrangeThrow("ORVPublisherSubscriber", "Subscribe", ArrangedException::kRuntimeError);
    // Subscribe is traced once the subscriber is added, so it is subscribed all the same.
    EXPECT_THROW(Bus().Subscribe([&](ORVNotificationData&) { ++delivered; }, false),
                 std::runtime_error);
    EXPECT_EQ(orvsim::SubscriberCount(), 1);

    // Notify has queued its notification when it throws: it is delivered.
    orvsim::ArrangeThrow("ORVPublisherSubscriber", "Notify", ArrangedException::kBadArrayNewLength);
    EXPECT_THROW(Publish(7, 1), std::bad_array_new_length);
    Publish(7, 2);
    ASSERT_TRUE(orvsim::WaitForBusIdle(orvtest::kEventually));
    EXPECT_EQ(delivered.load(), 2);

    // Cleanup throws before it shuts anything down; the next one does the whole job.
    orvsim::ArrangeThrow("ORVPublisherSubscriber", "Cleanup", ArrangedException::kRuntimeError);
    EXPECT_THROW(Bus().Cleanup(), std::runtime_error);
    EXPECT_EQ(orvsim::SubscriberCount(), 1);
    Bus().Cleanup();
    EXPECT_EQ(orvsim::SubscriberCount(), 0);
    EXPECT_EQ(orvsim::TraceCount("ORVPublisherSubscriber", "CleanupDone"), 1u);
}

TEST_F(ThrownCallTest, AComInitWhoseConstructionThrowsLeavesComBalanced) {
    orvsim::ArrangeThrow("ORV::ComInit", "ComInit", ArrangedException::kRuntimeError);
    std::thread([] {
        EXPECT_THROW(ORV::ComInit(true), std::runtime_error);
        // A thread with no initialisation left over gets S_OK, not S_FALSE.
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        CoUninitialize();
    }).join();
}

}  // namespace
