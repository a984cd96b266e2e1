// Value semantics of the bus's notification record and of the tag pair.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "shared/notification_data.h"
#include "test_peer.h"

// These tests look at moved-from objects on purpose.
// NOLINTBEGIN(bugprone-use-after-move)
namespace {

using Texts = std::vector<std::wstring>;

// Long enough that no string fits the small-string buffer, so shared storage would show.
// Every member the record reads; an attribute that is not a string is left out.
const std::wstring kPayload =
    LR"({
  "messageType": "inbox-message-of-some-length", "actionType": "show-toast-with-long-name",
  "messageId": "message-0123456789abcdef", "source": "ConfigPolicyAgent.component",
  "timestamp": "2024-05-06T07:08:09.000Z", "extensionId": "extension.identifier.long",
  "correlationId": "correlation-0123456789abcdef", "deviceActionState": "pending-restart-state",
  "errorCode": 42, "provider": "zarn",
  "attributes": {"gamma": "third", "beta": "second value text", "alpha": "first value text",
                 "skipped": 3}
})";

const Texts kTexts = {kPayload,
                      L"inbox-message-of-some-length",
                      L"show-toast-with-long-name",
                      L"message-0123456789abcdef",
                      L"ConfigPolicyAgent.component",
                      L"2024-05-06T07:08:09.000Z",
                      L"extension.identifier.long",
                      L"correlation-0123456789abcdef",
                      L"pending-restart-state"};

const std::map<std::wstring, std::wstring> kAttributes = {
    {L"alpha", L"first value text"}, {L"beta", L"second value text"}, {L"gamma", L"third"}};

class NotificationDataTest : public ::testing::Test {
  protected:
    // Every text field, in declaration order.
    static Texts TextsOf(ORVNotificationData& n) {
        return {n.payload(),     n.getMessageType(), n.getActionType(),
                n.messageId(),   n.source(),         n.timestamp(),
                n.extensionId(), n.correlationId(),  n.getDeviceActionState()};
    }

    static void ExpectFullContent(ORVNotificationData& n) {
        EXPECT_EQ(TextsOf(n), kTexts);
        EXPECT_EQ(n.attributes(), kAttributes);
        EXPECT_EQ(n.getTopicId(), 7);
        EXPECT_EQ(n.getEventState(), 2);
        EXPECT_EQ(n.errorCode(), 42);
        EXPECT_EQ(n.getNotificationProvider(), NotificationProvider::Zarn);
    }

    // A moved-from record keeps its integers and provider; its strings and map are empty, and
    // the map still takes entries.
    static void ExpectMovedFrom(ORVNotificationData& source) {
        EXPECT_EQ(TextsOf(source), Texts(kTexts.size()));
        EXPECT_TRUE(source.attributes().empty());
        EXPECT_EQ(source.getTopicId(), 7);
        EXPECT_EQ(source.getEventState(), 2);
        EXPECT_EQ(source.errorCode(), 42);
        EXPECT_EQ(source.getNotificationProvider(), NotificationProvider::Zarn);
        source = ORVNotificationData(7, 2, kPayload);
        ExpectFullContent(source);
    }
};

TEST_F(NotificationDataTest, CopiesAndMovesCarryTheWholeRecordAndMovesEmptyTheSource) {
    // The other record's map has an entry the full one lacks and one it replaces.
    ExpectValueSemantics(
        ORVNotificationData(7, 2, kPayload),
        ORVNotificationData(91, 0, LR"({"attributes": {"alpha": "stale", "zeta": "gone"}})"),
        ExpectFullContent, ExpectMovedFrom);

    ORVNotificationData source(7, 2, kPayload);
    ORVNotificationData copy(source);
    EXPECT_NE(copy.payload().data(), source.payload().data());
    EXPECT_NE(&*copy.attributes().begin(), &*source.attributes().begin());
    ORVNotificationData drain(std::move(source));  // emptying the source leaves the copies
    ExpectFullContent(copy);
}

TEST_F(NotificationDataTest, TagCopiesAndMovesCarryBothTextsAndMovesEmptyTheSource) {
    ExpectValueSemantics(
        ORVTag(L"persona-tag-name-long-enough", L"persona-tag-value-long-enough"),
        ORVTag(L"old", L"old"),
        [](ORVTag& tag) {
            EXPECT_EQ(tag.name, L"persona-tag-name-long-enough");
            EXPECT_EQ(tag.value, L"persona-tag-value-long-enough");
        },
        [](ORVTag& tag) { EXPECT_TRUE(tag.name.empty() && tag.value.empty()); });
}

}  // namespace
// NOLINTEND(bugprone-use-after-move)
