#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "client_fixture.h"
#include "shared/notification_data.h"

namespace {

class NotificationDataTest : public orvtest::ClientFixture {};

TEST_F(NotificationDataTest, ZarnAndExtensionAreRecognisedIndependently) {
    struct Case {
        const wchar_t* payload;
        bool zarn;
        bool extension;
    };
    const Case cases[] = {
        {L"", false, false},
        {LR"({"messageType": "campaign", "actionType": "show"})", true, false},
        {LR"({"provider": "EXTENSION"})", false, true},
        {LR"({"provider": "Extension", "messageType": "campaign"})", true, true},
        {LR"({"provider": "zarn"})", false, false},  // only a message type makes it Zarn
        {LR"({"messageType": ""})", false, false},
    };
    for (const Case& c : cases) {
        ORVNotificationData notification(4, 15, c.payload);
        EXPECT_EQ(notification.isZarnNotification(), c.zarn) << c.payload;
        EXPECT_EQ(notification.isExtensionNotification(), c.extension) << c.payload;
    }
}

TEST_F(NotificationDataTest, UnusablePayloadsKeepTheirTextAndLeaveDefaults) {
    const wchar_t* const payloads[] = {
        L"not json", L"[1, 2]",
        LR"({"messageType": 5, "errorCode": "7", "attributes": [1], "provider": 3})",
        LR"({"errorCode": 2.5)",  // truncated
    };
    for (const wchar_t* payload : payloads) {
        ORVNotificationData notification(13, 0, payload);
        EXPECT_EQ(notification.payload(), payload);
        EXPECT_EQ(notification.errorCode(), 0) << payload;
        EXPECT_TRUE(notification.getMessageType().empty()) << payload;
        EXPECT_TRUE(notification.attributes().empty()) << payload;
        EXPECT_EQ(notification.getNotificationProvider(), NotificationProvider::Client) << payload;
    }
    ORVNotificationData fraction(13, 0, LR"({"errorCode": 2.0, "provider": "someone"})");
    EXPECT_EQ(fraction.errorCode(), 0);  // a number with a fraction part is not an integer
    EXPECT_EQ(fraction.getNotificationProvider(), NotificationProvider::Unknown);
}

TEST_F(NotificationDataTest, PayloadNestedBeyondTheReadersLimitIsUnusableNotAnException) {
    // Deeper than the JSON reader descends: a publisher's text must not make the bus throw.
    const std::wstring payload = LR"({"messageType": "m", "deep": )" + std::wstring(5000, L'[');
    std::unique_ptr<ORVNotificationData> notification;
    ASSERT_NO_THROW(notification = std::make_unique<ORVNotificationData>(4, 19, payload));
    EXPECT_EQ(notification->payload(), payload);
    EXPECT_TRUE(notification->getMessageType().empty());
    bool flag = true;
    EXPECT_NO_THROW(notification->deserializePayloadForConfigChangeDuringStartup(flag));
    EXPECT_FALSE(flag);
}

TEST_F(NotificationDataTest, ConfigChangeDuringStartupComesFromItsBooleanMember) {
    const std::map<std::wstring, bool> cases = {
        {LR"({"configChangeDuringStartup": true})", true},
        {LR"({"configChangeDuringStartup": false})", false},
        {LR"({"configChangeDuringStartup": "true"})", false},
        {LR"({"other": true})", false},
        {L"", false},
    };
    for (const auto& [payload, expected] : cases) {
        ORVNotificationData notification(4, 15, payload);
        bool flag = !expected;
        notification.deserializePayloadForConfigChangeDuringStartup(flag);
        EXPECT_EQ(flag, expected) << payload;
        EXPECT_EQ(notification.payload(), payload);
        EXPECT_EQ(notification.getTopicId(), 4);
    }
}

}  // namespace
