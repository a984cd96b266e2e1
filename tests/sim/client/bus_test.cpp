#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <future>
#include <mutex>
#include <new>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "client_fixture.h"
#include "platform/shared_native/publisher_subscriber.h"
#include "shared/client_vocabulary.h"
#include "shared/notification_data.h"
#include "sim/client/client_control.h"
#include "sim/trace.h"

namespace {

using orv::bus::kStateResumedFromSleep;
using orv::bus::kTopicMaintenance;
using orv::bus::kTopicPower;
using orv::bus::kTopicRegistration;
using orv::bus::kTopicServiceStopping;
using orv::bus::kTopicTimeChanged;
using orvsim::ArrangedException;
using ::testing::ElementsAreArray;
using ::testing::UnorderedElementsAre;
using Received = std::vector<std::pair<int, int>>;  // (topic, event state)

// The threads of this process now.
int ThreadCount() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("Threads:", 0) == 0) {
            return std::stoi(line.substr(8));
        }
    }
    return -1;
}

// A subscriber that keeps what it receives.
class Recorder {
  public:
    ORVPublisherSubscriber::Handler Handler() {
        return [this](ORVNotificationData& notification) {
            std::lock_guard lock(mutex_);
            received_.emplace_back(notification.getTopicId(), notification.getEventState());
        };
    }
    Received Got() {
        std::lock_guard lock(mutex_);
        return received_;
    }

  private:
    std::mutex mutex_;
    Received received_;
};

// A handler that holds the bus's thread until the test opens it. The tests that use it also
// show that Notify returns before delivery: a delivery on the publisher's thread would hang.
class Gate {
  public:
    ORVPublisherSubscriber::Handler Handler() {
        return [this](ORVNotificationData&) {
            entered_.set_value();
            opened_.wait();
        };
    }
    void WaitUntilHeld() { entered_.get_future().wait(); }
    void Open() { open_.set_value(); }

  private:
    std::promise<void> entered_;
    std::promise<void> open_;
    std::shared_future<void> opened_ = open_.get_future().share();
};

class BusTest : public orvtest::ClientFixture {
  protected:
    static ORVPublisherSubscriber& Bus() { return *ORVPublisherSubscriber::GetInstance(); }

    static void Publish(int topic, int state, const std::wstring& payload = L"",
                        const std::wstring& sender = L"") {
        ORVNotificationData notification(topic, state, payload);
        Bus().Notify(notification, sender);
    }

    static void ExpectIdle() { ASSERT_TRUE(orvsim::WaitForBusIdle(orvtest::kEventually)); }
};

TEST_F(BusTest, ConcurrentPublishersLoseNothingAndEverySubscriberSeesTheSameOrder) {
    Recorder first, second;
    EXPECT_FALSE(Bus().Subscribe(first.Handler(), false).empty());
    Bus().Subscribe(second.Handler(), false);
    constexpr int kPublishers = 4;
    constexpr int kEach = 50;
    std::vector<std::thread> publishers;
    for (int topic = 1; topic <= kPublishers; ++topic) {
        publishers.emplace_back([topic] {
            for (int state = 0; state < kEach; ++state) {
                Publish(topic, state);
            }
        });
    }
    for (auto& publisher : publishers) {
        publisher.join();
    }
    ExpectIdle();

    Received inRecordOrder;
    for (const auto& publication : orvsim::Publications()) {
        inRecordOrder.emplace_back(publication.topicId, publication.eventState);
        EXPECT_TRUE(publication.accepted);
        EXPECT_EQ(publication.deliveries, 2);
    }
    ASSERT_EQ(inRecordOrder.size(), static_cast<std::size_t>(kPublishers * kEach));
    EXPECT_EQ(first.Got(), inRecordOrder);
    EXPECT_EQ(second.Got(), inRecordOrder);
    std::vector<int> next(kPublishers + 1, 0);
    for (const auto& [topic, state] : inRecordOrder) {
        EXPECT_EQ(state, next[topic]++) << "topic " << topic;  // each publisher's own order
    }
}

TEST_F(BusTest, DisabledNotifyingAndAStopRequestRefuseNewNotificationsButNotQueuedOnes) {
    Gate gate;
    Recorder recorder;
    Bus().Subscribe(gate.Handler(), false);
    Bus().Subscribe(recorder.Handler(), false);
    Bus().SetNotifyEnabled(false);
    Publish(kTopicPower, kStateResumedFromSleep);  // refused
    Bus().SetNotifyEnabled(true);
    Publish(kTopicServiceStopping, 1);
    gate.WaitUntilHeld();  // the first is under way, the next two wait in the queue
    Publish(kTopicServiceStopping, 2);
    Publish(kTopicServiceStopping, 3);

    Bus().SetStopRequest();
    Publish(kTopicTimeChanged, 0);  // refused
    gate.Open();
    Bus().Cleanup();

    EXPECT_THAT(recorder.Got(), ElementsAreArray(Received{{kTopicServiceStopping, 1},
                                                          {kTopicServiceStopping, 2},
                                                          {kTopicServiceStopping, 3}}));
    const auto record = orvsim::Publications();
    ASSERT_EQ(record.size(), 5u);
    for (std::size_t i = 0; i < record.size(); ++i) {
        EXPECT_EQ(record[i].accepted, i != 0 && i != 4) << i;
    }
    EXPECT_EQ(record.back().deliveries, 0);
}

TEST_F(BusTest, AfterCleanupNothingIsDeliveredAndAPublicationToNobodyStartsNoThread) {
    // A sibling component may publish after the service's stop has cleaned the bus up; with
    // nobody to deliver to, no delivery thread may be left waiting until the next Cleanup.
    Recorder released, later;
    Bus().Subscribe(released.Handler(), false);
    Publish(kTopicMaintenance, 1);
    Bus().Cleanup();
    EXPECT_EQ(orvsim::SubscriberCount(), 0);
    const int threads = ThreadCount();
    const auto got = released.Got();

    Publish(kTopicMaintenance, 2);
    ExpectIdle();
    EXPECT_EQ(ThreadCount(), threads);
    const auto record = orvsim::Publications();
    ASSERT_FALSE(record.empty());
    EXPECT_TRUE(record.back().accepted);
    EXPECT_EQ(record.back().deliveries, 0);

    Bus().Subscribe(later.Handler(), false);  // the bus can be used again
    Publish(kTopicMaintenance, 3);
    ExpectIdle();
    EXPECT_EQ(released.Got(), got);
    EXPECT_THAT(later.Got(), ElementsAreArray(Received{{kTopicMaintenance, 3}}));
}

TEST_F(BusTest, UnsubscribeReturnsOnlyOnceTheRunningHandlerHasFinished) {
    Gate gate;
    const std::wstring id = Bus().Subscribe(gate.Handler(), false);
    Publish(kTopicRegistration, 3);
    gate.WaitUntilHeld();

    auto unsubscribed = std::async(std::launch::async, [&] { return Bus().Unsubscribe(id); });
    EXPECT_EQ(unsubscribed.wait_for(orvtest::kQuietPeriod), std::future_status::timeout);
    gate.Open();
    EXPECT_TRUE(unsubscribed.get());
    EXPECT_FALSE(Bus().Unsubscribe(id));

    // Nobody left: a second call of the gate would fail its promise.
    Publish(kTopicRegistration, 4);
    ExpectIdle();
    EXPECT_EQ(orvsim::TraceCount("ORVPublisherSubscriber", "HandlerFailed"), 0u);
}

TEST_F(BusTest, HandlersAreIsolatedAndFilteredByExtensionOnlyAndSender) {
    Recorder everything, extensionsOnly, sender;
    std::vector<NotificationProvider> seen;
    Bus().Subscribe(
        [](ORVNotificationData& notification) {
            notification.setNotificationProvider(NotificationProvider::Zarn);
            Bus().Cleanup();  // refused with an exception instead of deadlocking
        },
        false);
    Bus().Subscribe(
        [&](ORVNotificationData& notification) {
            seen.push_back(notification.getNotificationProvider());
        },
        false);
    Bus().Subscribe(everything.Handler(), false);
    Bus().Subscribe(extensionsOnly.Handler(), true);
    const std::wstring senderId = Bus().Subscribe(sender.Handler(), false);
    EXPECT_TRUE(Bus().Subscribe({}, false).empty());  // an empty handler is refused

    Publish(5, 1);
    Publish(5, 2, LR"({"provider": "Extension"})");
    Publish(5, 3, L"", senderId);
    ExpectIdle();

    EXPECT_THAT(everything.Got(), ElementsAreArray(Received{{5, 1}, {5, 2}, {5, 3}}));
    EXPECT_THAT(extensionsOnly.Got(), ElementsAreArray(Received{{5, 2}}));
    EXPECT_THAT(sender.Got(), ElementsAreArray(Received{{5, 1}, {5, 2}}));
    EXPECT_THAT(seen,
                ElementsAreArray({NotificationProvider::Client, NotificationProvider::Extension,
                                  NotificationProvider::Client}));
    const auto failures = orvsim::TraceOf("ORVPublisherSubscriber", "HandlerFailed");
    ASSERT_EQ(failures.size(), 3u);
    EXPECT_THAT(failures[0].arguments.back(), ::testing::HasSubstr("handlers"));
    EXPECT_EQ(orvsim::SubscriberCount(), 5);
}

TEST_F(BusTest, TheBusesOwnCopiesStayOutOfTheTrace) {
    Bus().Subscribe([](ORVNotificationData&) {}, false);
    Bus().Subscribe([](ORVNotificationData& notification) { notification.getTopicId(); }, false);
    Publish(kTopicTimeChanged, 0);
    ExpectIdle();

    std::vector<std::string> calls;
    for (const auto& entry : orvsim::TraceOf("ORVNotificationData")) {
        calls.push_back(entry.operation);
    }
    // The publisher's record and the one call a handler made (on the bus's thread, so in no
    // fixed order with the publisher's destructor); nothing of the bus's copies.
    EXPECT_THAT(calls,
                UnorderedElementsAre("ORVNotificationData", "~ORVNotificationData", "getTopicId"));
}

TEST_F(BusTest, StaysUsableWhenItsCallsAreArrangedToThrow) {
    std::atomic<int> delivered{0};
    orvsim::ArrangeThrow("ORVPublisherSubscriber", "Subscribe", ArrangedException::kRuntimeError);
    // Subscribe is traced once the subscriber is added, so it is subscribed all the same.
    EXPECT_THROW(Bus().Subscribe([&](ORVNotificationData&) { ++delivered; }, false),
                 std::runtime_error);
    EXPECT_EQ(orvsim::SubscriberCount(), 1);

    // Notify has queued its notification when it throws: it is delivered.
    orvsim::ArrangeThrow("ORVPublisherSubscriber", "Notify", ArrangedException::kBadArrayNewLength);
    EXPECT_THROW(Publish(kTopicMaintenance, 1), std::bad_array_new_length);
    Publish(kTopicMaintenance, 2);
    ExpectIdle();
    EXPECT_EQ(delivered.load(), 2);

    // Cleanup throws before it shuts anything down; the next one does the whole job.
    orvsim::ArrangeThrow("ORVPublisherSubscriber", "Cleanup", ArrangedException::kRuntimeError);
    EXPECT_THROW(Bus().Cleanup(), std::runtime_error);
    EXPECT_EQ(orvsim::SubscriberCount(), 1);
    Bus().Cleanup();
    EXPECT_EQ(orvsim::SubscriberCount(), 0);
    EXPECT_EQ(orvsim::TraceCount("ORVPublisherSubscriber", "CleanupDone"), 1u);
}

}  // namespace
