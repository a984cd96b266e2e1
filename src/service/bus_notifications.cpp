// Bus notifications: the full-init signal, policy changes and early registration errors.

#include <new>

#include "platform/agents/smart_message_utility.h"
#include "platform/common_base/log.h"
#include "platform/common_base/string_utils.h"
#include "service/orv_client_service.h"
#include "shared/client_vocabulary.h"
#include "shared/notification_data.h"

namespace {
using orv::bus::kStateMayFullyInitialize;
using orv::bus::kStatePolicyChanged;
using orv::bus::kStateRegistrationNotAnError;
using orv::bus::kTopicConfigPolicy;
using orv::bus::kTopicRegistration;
constexpr const wchar_t* kScope = L"OrvClientService::OnORVNotification";
}  // namespace

void OrvClientService::OnORVNotification(ORVNotificationData& notification) {
    try {
        if (notification.isExtensionNotification()) {
            return;
        }
        if (notification.isZarnNotification()) {
            ORV::g_log.d(L"%s: received; messageType: %s, actionType: %s", kScope,
                         notification.getMessageType(), notification.getActionType());
            return;
        }
        const int topicId = notification.getTopicId();
        const int eventState = notification.getEventState();
        // Read for the record's own sake; no decision below rests on it.
        bool configChangedDuringStartup = false;
        notification.deserializePayloadForConfigChangeDuringStartup(configChangedDuringStartup);
        ORV::g_log.d(L"%s: Notification received; topicID: %d, eventState: %d", kScope, topicId,
                     eventState);

        if (topicId == kTopicConfigPolicy && eventState == kStatePolicyChanged) {
            ORV::g_log.d(L"%s:Received orv policy change event", kScope);
            if (HANDLE changeEvent = _hStartupTypeChangeEvent.load(); changeEvent != nullptr) {
                SetEvent(changeEvent);
            }
        } else if (topicId == kTopicConfigPolicy && eventState == kStateMayFullyInitialize) {
            if (_hFullInitEvent != nullptr) {
                ORV::g_log.d(L"%s:Signal full init event", kScope);
                SetEvent(_hFullInitEvent);
            }
        } else if (topicId == kTopicRegistration && eventState != kStateRegistrationNotAnError &&
                   !_fullyInitialized) {
            ORV::g_log.d(
                L"%s:Received registration error notification before plugin agents are initialised. Deleting etag and cached message digest",
                kScope);
            using ORV::SmartMessageV2::SmartMessageV2Utility;
            SmartMessageV2Utility::DeleteCachedMessageDigest();
            SmartMessageV2Utility::DeleteEtag();
            SmartMessageV2Utility::DeletePreviousDownloadDigestTimestamp();
        }
    } catch (const std::bad_array_new_length& error) {
        ORV::g_log.e(L"%s: [TID:%lu]  Bad array error caught on receiving orv notification. %s",
                     kScope, GetCurrentThreadId(), ORV::String::UTF8ToUTF16(error.what()));
    }
}
