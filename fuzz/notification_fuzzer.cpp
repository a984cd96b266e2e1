// The service's bus notification handler (OrvClientService::OnORVNotification) on
// notifications built from arbitrary topic ids, event states and payloads, through the bus's
// own record type, whose constructor reads the payload's JSON members. The handler must
// absorb any payload and route by topic and state only for the client's own notifications.
//
// The payload's bytes below 0x80 are taken as they are (JSON text); a byte from 0x80 on and
// the three after it make one code point up to 0x1FFFFF, surrogates and non-characters
// included, as a sender's wide string can hold anything.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "service/orv_client_service.h"
#include "shared/notification_data.h"
#include "sim/common_base/log_control.h"
#include "sim/trace.h"

namespace {

constexpr int kTopicRegistration = 2;
constexpr int kTopicConfigPolicy = 4;
constexpr int kStatePolicyChanged = 15;
constexpr int kStateMayFullyInitialize = 19;
constexpr int kStateRegistrationNotAnError = 11;

std::wstring WidePayload(const std::vector<uint8_t>& bytes) {
    std::wstring text;
    text.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] < 0x80 || i + 3 >= bytes.size()) {
            text.push_back(static_cast<wchar_t>(bytes[i]));
            continue;
        }
        const uint32_t codePoint =
            ((bytes[i] & 0x1FU) << 16U) | (uint32_t{bytes[i + 1]} << 8U) | bytes[i + 2];
        text.push_back(static_cast<wchar_t>(codePoint));
        i += 2;
    }
    return text;
}

int PickTopic(FuzzedDataProvider& in) {
    constexpr int kTopics[] = {kTopicRegistration, kTopicConfigPolicy, 7, 11, 13, 91};
    return in.ConsumeBool() ? in.PickValueInArray(kTopics) : in.ConsumeIntegral<int>();
}

int PickState(FuzzedDataProvider& in) {
    constexpr int kStates[] = {kStateRegistrationNotAnError, kStatePolicyChanged,
                               kStateMayFullyInitialize, 0};
    return in.ConsumeBool() ? in.PickValueInArray(kStates) : in.ConsumeIntegral<int>();
}

bool Logged(const std::wstring& message) {
    return orvsim::HasLogMessage(L"OrvClientService::OnORVNotification" + message);
}

// The service object as the bus finds it after start-up and before full initialization.
// It lives for the whole run: its take-down belongs to the stop path, not to this target.
OrvClientService& Service() {
    static auto* service = new OrvClientService(nullptr);
    return *service;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The stand-ins' records would otherwise grow with every input.
    orvsim::ClearLogRecords();
    orvsim::ClearTrace();
    FuzzedDataProvider in(data, size);
    const int topic = PickTopic(in);
    const int state = PickState(in);
    ORVNotificationData notification(topic, state,
                                     WidePayload(in.ConsumeRemainingBytes<uint8_t>()));
    const bool clientsOwn =
        !notification.isExtensionNotification() && !notification.isZarnNotification();

    Service().OnORVNotification(notification);

    const bool received = Logged(L": Notification received; topicID: " + std::to_wstring(topic) +
                                 L", eventState: " + std::to_wstring(state));
    const bool fullInit = topic == kTopicConfigPolicy && state == kStateMayFullyInitialize;
    const bool registrationError =
        topic == kTopicRegistration && state != kStateRegistrationNotAnError;
    if (received != clientsOwn || Logged(L":Signal full init event") != (clientsOwn && fullInit) ||
        Logged(L":Received registration error notification before plugin agents are initialised. "
               L"Deleting etag and cached message digest") != (clientsOwn && registrationError)) {
        std::abort();
    }
    return 0;
}
