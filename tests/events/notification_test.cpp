// Bus notifications: which ones release the worker. The registration error's clearing of the
// stored message state runs end to end in scenarios/registration-error-notifications.json.

#include <gtest/gtest.h>

#include "service_fixture.h"
#include "sim/client/control.h"
#include "winapi/sim/control.h"

namespace orvtest {
namespace {

std::wstring Received(int topicId, int eventState) {
    return Line(scope::kNotification, L"Notification received; topicID: " +
                                          std::to_wstring(topicId) + L", eventState: " +
                                          std::to_wstring(eventState));
}

class NotificationTest : public ServiceScenario {
  protected:
    // Publishes, then a marker; the bus delivers in order, so once the marker's line is
    // written the handling of the first notification is over. Returns the handler's lines in
    // between.
    static std::vector<std::wstring> Deliver(int topicId, int eventState,
                                             const std::wstring& payload = {}) {
        static int marker = 1000;
        const std::uint64_t mark = LogMark();
        orvsim::Publish(topicId, eventState, payload);
        orvsim::Publish(++marker, 0);
        EXPECT_TRUE(WaitForMessage(Received(marker, 0)));
        std::vector<std::wstring> lines;
        for (std::wstring& line : MessagesSince(mark)) {
            if (line == Received(marker, 0)) {
                break;
            }
            if (line.starts_with(scope::kNotification)) {
                lines.push_back(std::move(line));
            }
        }
        return lines;
    }
};

TEST_F(NotificationTest, ExtensionAndZarnNotificationsAreOnlyLogged) {
    orvsim::ArrangeFullInitSignal({.enabled = false});
    StartService();
    ASSERT_TRUE(WaitForMessage(Line(scope::kWorker, L"Waiting for FullInit event")));

    // An extension notification is not even logged; a Zarn one only is.
    EXPECT_TRUE(Deliver(4, 19, LR"({"provider":"extension","messageType":"m"})").empty());
    EXPECT_EQ(Deliver(4, 19, LR"({"provider":"zarn","messageType":"policy","actionType":"sync"})"),
              std::vector<std::wstring>{
                  Line(scope::kNotification, L"received; messageType: policy, actionType: sync")});
    EXPECT_FALSE(Logged(std::wstring(scope::kNotification) + L":Signal full init event"));
    EXPECT_FALSE(Logged(Line(scope::kWorker, L"FullInit event signaled")));

    // The plain signal releases the worker.
    EXPECT_EQ(Deliver(4, 19),
              (std::vector<std::wstring>{Received(4, 19), std::wstring(scope::kNotification) +
                                                              L":Signal full init event"}));
    EXPECT_TRUE(Host().WaitForFullInit(kEventually));
}

}  // namespace
}  // namespace orvtest
