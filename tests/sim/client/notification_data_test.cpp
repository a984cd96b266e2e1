#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "client_fixture.h"
#include "shared/client_vocabulary.h"
#include "shared/notification_data.h"

namespace {

class NotificationDataTest : public orvtest::ClientFixture {};

TEST_F(NotificationDataTest, ZarnExtensionAndConfigChangeAreReadIndependently) {
    struct Case {
        const wchar_t* payload;
        bool zarn;
        bool extension;
        bool configChange;
    };
    const Case cases[] = {
        {L"", false, false, false},
        {LR"({"messageType": "campaign", "actionType": "show"})", true, false, false},
        {LR"({"provider": "EXTENSION", "configChangeDuringStartup": true})", false, true, true},
        {LR"({"provider": "Extension", "messageType": "campaign"})", true, true, false},
        {LR"({"provider": "zarn", "configChangeDuringStartup": false})", false, false, false},
        {LR"({"messageType": "", "configChangeDuringStartup": "true"})", false, false, false},
    };
    for (const Case& c : cases) {
        ORVNotificationData notification(orv::bus::kTopicConfigPolicy,
                                         orv::bus::kStatePolicyChanged, c.payload);
        EXPECT_EQ(notification.isZarnNotification(), c.zarn) << c.payload;
        EXPECT_EQ(notification.isExtensionNotification(), c.extension) << c.payload;
        bool flag = !c.configChange;
        notification.deserializePayloadForConfigChangeDuringStartup(flag);
        EXPECT_EQ(flag, c.configChange) << c.payload;
    }
}

TEST_F(NotificationDataTest, UnusablePayloadsKeepTheirTextAndLeaveDefaults) {
    // Nested deeper than the JSON reader descends: a publisher's text must not make the bus
    // throw.
    const std::wstring deep = LR"({"messageType": "m", "deep": )" + std::wstring(5000, L'[');
    const std::wstring payloads[] = {
        L"not json",
        L"[1, 2]",
        LR"({"messageType": 5, "errorCode": "7", "attributes": [1], "provider": 3})",
        LR"({"errorCode": 2.5)",  // truncated
        deep,
    };
    for (const std::wstring& payload : payloads) {
        std::unique_ptr<ORVNotificationData> notification;
        ASSERT_NO_THROW(notification = std::make_unique<ORVNotificationData>(13, 0, payload));
        EXPECT_EQ(notification->payload(), payload);
        EXPECT_EQ(notification->errorCode(), 0) << payload;
        EXPECT_TRUE(notification->getMessageType().empty()) << payload;
        EXPECT_TRUE(notification->attributes().empty()) << payload;
        EXPECT_EQ(notification->getNotificationProvider(), NotificationProvider::Client) << payload;
        bool flag = true;
        EXPECT_NO_THROW(notification->deserializePayloadForConfigChangeDuringStartup(flag));
        EXPECT_FALSE(flag);
    }
    ORVNotificationData fraction(13, 0, LR"({"errorCode": 2.0, "provider": "someone"})");
    EXPECT_EQ(fraction.errorCode(), 0);  // a number with a fraction part is not an integer
    EXPECT_EQ(fraction.getNotificationProvider(), NotificationProvider::Unknown);
}

}  // namespace
