// Value semantics of the bus's notification record and of the tag pair.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>

#include "shared/notification_data.h"

namespace {

// Long enough that no string fits the small-string buffer, so storage sharing would show.
const std::wstring kPayload =
    LR"({
  "messageType": "inbox-message-of-some-length", "actionType": "show-toast-with-long-name",
  "messageId": "message-0123456789abcdef", "source": "ConfigPolicyAgent.component",
  "timestamp": "2024-05-06T07:08:09.000Z", "extensionId": "extension.identifier.long",
  "correlationId": "correlation-0123456789abcdef", "deviceActionState": "pending-restart-state",
  "errorCode": 42, "provider": "zarn",
  "attributes": {"alpha": "first value text", "beta": "second value text", "gamma": "third"}
})";

const std::map<std::wstring, std::wstring> kAttributes = {
    {L"alpha", L"first value text"}, {L"beta", L"second value text"}, {L"gamma", L"third"}};

class NotificationDataTest : public ::testing::Test {
  protected:
    static void ExpectAllTextEmpty(ORVNotificationData& n) {
        EXPECT_TRUE(n.payload().empty());
        EXPECT_TRUE(n.getMessageType().empty());
        EXPECT_TRUE(n.getActionType().empty());
        EXPECT_TRUE(n.messageId().empty());
        EXPECT_TRUE(n.source().empty());
        EXPECT_TRUE(n.timestamp().empty());
        EXPECT_TRUE(n.extensionId().empty());
        EXPECT_TRUE(n.correlationId().empty());
        EXPECT_TRUE(n.getDeviceActionState().empty());
        EXPECT_TRUE(n.attributes().empty());
    }

    static void ExpectFullContent(ORVNotificationData& n) {
        EXPECT_EQ(n.payload(), kPayload);
        EXPECT_EQ(n.getTopicId(), 7);
        EXPECT_EQ(n.getEventState(), 2);
        EXPECT_EQ(n.errorCode(), 42);
        EXPECT_EQ(n.getMessageType(), L"inbox-message-of-some-length");
        EXPECT_EQ(n.getActionType(), L"show-toast-with-long-name");
        EXPECT_EQ(n.messageId(), L"message-0123456789abcdef");
        EXPECT_EQ(n.source(), L"ConfigPolicyAgent.component");
        EXPECT_EQ(n.timestamp(), L"2024-05-06T07:08:09.000Z");
        EXPECT_EQ(n.extensionId(), L"extension.identifier.long");
        EXPECT_EQ(n.correlationId(), L"correlation-0123456789abcdef");
        EXPECT_EQ(n.getDeviceActionState(), L"pending-restart-state");
        EXPECT_EQ(n.attributes(), kAttributes);
        EXPECT_EQ(n.getNotificationProvider(), NotificationProvider::Zarn);
    }

    // The moved-from record's integers and provider stay; its strings and map are empty, and
    // the map still takes entries (copy assignment fills it).
    static void ExpectMovedFrom(ORVNotificationData& source) {
        ExpectAllTextEmpty(source);
        EXPECT_EQ(source.getTopicId(), 7);
        EXPECT_EQ(source.getEventState(), 2);
        EXPECT_EQ(source.errorCode(), 42);
        EXPECT_EQ(source.getNotificationProvider(), NotificationProvider::Zarn);

        ORVNotificationData refill(7, 2, kPayload);
        source = refill;
        ExpectFullContent(source);
    }
};

TEST_F(NotificationDataTest, MoveConstructionEmptiesSourceTextAndKeepsItsMapUsable) {
    ORVNotificationData source(7, 2, kPayload);
    ExpectFullContent(source);

    ORVNotificationData target(std::move(source));
    ExpectFullContent(target);
    ExpectMovedFrom(source);
}

TEST_F(NotificationDataTest, MoveAssignmentEmptiesSourceTextAndMap) {
    ORVNotificationData source(7, 2, kPayload);
    ORVNotificationData target(91, 0, LR"({"attributes": {"old": "entry"}, "provider": "client"})");

    target = std::move(source);
    ExpectFullContent(target);
    ExpectMovedFrom(source);
}

TEST_F(NotificationDataTest, SelfAssignmentChangesNothing) {
    ORVNotificationData n(7, 2, kPayload);
    ORVNotificationData& alias = n;
    n = alias;
    ExpectFullContent(n);
    n = std::move(alias);
    ExpectFullContent(n);
}

TEST_F(NotificationDataTest, CopySharesNoStorageAndKeepsMapOrder) {
    ORVNotificationData source(7, 2, kPayload);
    ORVNotificationData copy(source);
    ExpectFullContent(copy);
    EXPECT_NE(copy.payload().data(), source.payload().data());
    EXPECT_NE(&*copy.attributes().begin(), &*source.attributes().begin());

    // Emptying the source leaves the copy whole.
    ORVNotificationData drain(std::move(source));
    ExpectFullContent(copy);
}

TEST_F(NotificationDataTest, CopyAssignmentReplacesTheWholeMap) {
    ORVNotificationData source(7, 2, kPayload);
    ORVNotificationData target(
        4, 15, LR"({"attributes": {"alpha": "stale", "zeta": "gone"}, "messageType": "x"})");

    target = source;
    ExpectFullContent(target);
    EXPECT_EQ(target.attributes().count(L"zeta"), 0u);
}

TEST_F(NotificationDataTest, SetNotificationProviderReturnsTheValueStored) {
    ORVNotificationData n(13, 0, L"");
    EXPECT_EQ(n.getNotificationProvider(), NotificationProvider::Client);
    EXPECT_EQ(n.setNotificationProvider(NotificationProvider::Extension),
              NotificationProvider::Extension);
    EXPECT_EQ(n.getNotificationProvider(), NotificationProvider::Extension);
    EXPECT_EQ(n.setNotificationProvider(NotificationProvider::Unknown),
              NotificationProvider::Unknown);
}

TEST_F(NotificationDataTest, TagMovesLeaveSourceEmptyAndSelfAssignmentKeepsTag) {
    ORVTag tag(L"persona-tag-name-long-enough", L"persona-tag-value-long-enough");
    ORVTag moved(std::move(tag));
    EXPECT_EQ(moved.name, L"persona-tag-name-long-enough");
    EXPECT_EQ(moved.value, L"persona-tag-value-long-enough");
    EXPECT_TRUE(tag.name.empty());
    EXPECT_TRUE(tag.value.empty());

    ORVTag assigned(L"old", L"old");
    assigned = std::move(moved);
    EXPECT_EQ(assigned.name, L"persona-tag-name-long-enough");
    EXPECT_TRUE(moved.name.empty());
    EXPECT_TRUE(moved.value.empty());

    ORVTag& alias = assigned;
    assigned = std::move(alias);
    EXPECT_EQ(assigned.name, L"persona-tag-name-long-enough");
    EXPECT_EQ(assigned.value, L"persona-tag-value-long-enough");
    assigned = alias;
    EXPECT_EQ(assigned.value, L"persona-tag-value-long-enough");

    ORVTag copy(assigned);
    EXPECT_EQ(copy.name, assigned.name);
    EXPECT_NE(copy.name.data(), assigned.name.data());
}

}  // namespace
