// The bus's part of the control API and ResetClient.

#include "sim/client/client_control.h"

#include "platform/shared_native/publisher_subscriber.h"
#include "shared/notification_data.h"
#include "sim/client/client_reset.h"
#include "sim/client/full_init_announcer.h"
#include "sim/client/shared_native/bus_state.h"
#include "sim/trace.h"

namespace orvsim {
namespace {

ORVPublisherSubscriber::State& Bus() {
    TraceSilence quiet;  // the control API's own look, not a call of the client
    return ORVPublisherSubscriber::State::Of(*ORVPublisherSubscriber::GetInstance());
}

}  // namespace

std::vector<Publication> Publications() {
    return Bus().Record();
}

void ClearPublications() {
    Bus().ClearRecord();
}

int SubscriberCount() {
    return Bus().SubscriberCount();
}

bool WaitForBusIdle(std::chrono::milliseconds timeout) {
    return Bus().WaitForIdle(timeout);
}

bool WaitForPublication(const std::function<bool(const Publication&)>& match,
                        std::chrono::milliseconds timeout) {
    return Bus().WaitForRecord(match, timeout);
}

void Publish(int topicId, int eventState, const std::wstring& payload) {
    ORVNotificationData notification(topicId, eventState, payload);
    ORVPublisherSubscriber::GetInstance()->Notify(notification, L"");
}

void ResetClient() {
    // No arranged exception or pause may fire inside the reset itself.
    ClearArrangedThrows();
    ClearArrangedPauses();
    ClearArrangedDelays();
    // The announcer first: it publishes on the bus.
    client::ResetFullInitAnnouncer();
    {
        TraceSilence quiet;
        ORVPublisherSubscriber* bus = ORVPublisherSubscriber::GetInstance();
        ORVPublisherSubscriber::State::Of(*bus).Reset(*bus);
    }
    client::ResetConfigPolicyAgent();
    client::ResetAgentConstruction();
    client::ResetRegistrationAgent();
    client::ResetEventManager();
    client::ResetMonitors();
    client::ResetUserProcessAgent();
    client::ResetPluginManager();
    client::ResetCommandProcessor();
    client::ResetDiagnostics();
    client::ResetAppAndTagCollection();
    client::ResetStorageCollector();
    client::ResetHelperFactorySlots();
    client::ResetGeneralAppSettings();
    client::ResetOrvInfo();
    client::ResetApplicabilityEvaluator();
}

}  // namespace orvsim
