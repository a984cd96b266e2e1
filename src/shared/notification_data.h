#pragma once
// ORVNotificationData: one message on the client's publish/subscribe bus
// (ORVPublisherSubscriber). ORVTag: a pair of texts (a tag's name and value).
//
// How a notification carries its content. The constructor (shared-native library) takes the
// topic id, the event state and a payload text. The payload is either empty or a JSON object
// (UTF-16 text); the constructor copies the text into payload_ and fills the other fields
// from the object's members:
//
//   field                 payload member          when absent or not of the type
//   topic_id_             (constructor argument)
//   event_state_          (constructor argument)
//   error_code_           "errorCode" (integer)    0
//   message_type_         "messageType" (string)  empty
//   action_type_          "actionType" (string)   empty
//   message_id_           "messageId" (string)    empty
//   source_               "source" (string)       empty; the publishing component
//   timestamp_            "timestamp" (string)    empty
//   extension_id_         "extensionId" (string)  empty
//   attributes_           "attributes" (object of string members; others skipped)  empty
//   correlation_id_       "correlationId"         empty
//   device_action_state_  "deviceActionState"     empty
//   provider_             "provider": "client" | "extension" | "zarn", compared without
//                         regard to case; NotificationProvider::Client when absent,
//                         NotificationProvider::Unknown for any other text
//
// A payload that is not a JSON object (or not valid JSON) is kept in payload_ as it is; every
// derived field then keeps its default. The constructor never throws for a bad payload.
//
// Predicates (shared-native library):
//   isExtensionNotification(): provider_ == NotificationProvider::Extension
//   isZarnNotification():      message_type_ is not empty (only Zarn messages carry a
//                              message type and an action type)
// The two are independent: a notification can be both.
//
// deserializePayloadForConfigChangeDuringStartup(flag) sets flag to the payload's boolean
// member "configChangeDuringStartup", and to false when that member is absent, not a
// boolean, or the payload is not a JSON object. It changes nothing in the record.
//
// Ownership: the record owns its strings and its map. It has no lock: whoever built it owns
// it; bus subscribers receive it by reference for the duration of their callback.

#include <cstdint>
#include <map>
#include <string>
#include <utility>

#include "shared/export.h"

// Who provides a notification. 32-bit, as the record stores it.
enum class NotificationProvider : std::int32_t {
    Unknown = 0,
    Client = 1,     // a component of the client itself
    Extension = 2,  // an extension of the client
    Zarn = 3,       // the Zarn messaging service
};

class ORVNotificationData {
  public:
    // Shared-native library: see the payload table above.
    ORVNotificationData(int topicId, int eventState, std::wstring payload);
    ~ORVNotificationData();

    ORV_EXPORT ORVNotificationData(const ORVNotificationData& other);
    // Leaves other's strings empty and other's map empty but usable; integers and the
    // provider are copied, so other keeps them. May throw: a map implementation may allocate
    // the fresh empty map that other is left with.
    ORV_EXPORT ORVNotificationData(  // NOLINT(performance-noexcept-move-constructor)
        ORVNotificationData&& other);
    ORV_EXPORT ORVNotificationData& operator=(const ORVNotificationData& other);
    ORV_EXPORT ORVNotificationData& operator=(ORVNotificationData&& other) noexcept;

    // Shared-native library.
    int getTopicId() const;
    int getEventState() const;
    std::wstring getMessageType();
    std::wstring getActionType();
    bool isZarnNotification() const;
    bool isExtensionNotification() const;
    void deserializePayloadForConfigChangeDuringStartup(bool& configChangeDuringStartup);

    // This library.
    ORV_EXPORT std::wstring getDeviceActionState();
    ORV_EXPORT NotificationProvider getNotificationProvider() const;
    // Stores provider and returns it (the value just stored, not the previous one).
    ORV_EXPORT NotificationProvider setNotificationProvider(NotificationProvider provider);

    // Read-only views of the remaining fields, for tests and diagnostics.
    const std::wstring& payload() const { return payload_; }
    int errorCode() const { return error_code_; }
    const std::wstring& messageId() const { return message_id_; }
    const std::wstring& source() const { return source_; }
    const std::wstring& timestamp() const { return timestamp_; }
    const std::wstring& extensionId() const { return extension_id_; }
    const std::map<std::wstring, std::wstring>& attributes() const { return attributes_; }
    const std::wstring& correlationId() const { return correlation_id_; }

  private:
    std::wstring payload_;                                          // 1
    std::int32_t topic_id_ = 0;                                     // 2
    std::int32_t event_state_ = 0;                                  // 3
    std::int32_t error_code_ = 0;                                   // 4
    std::wstring message_type_;                                     // 5
    std::wstring action_type_;                                      // 6
    std::wstring message_id_;                                       // 7
    std::wstring source_;                                           // 8
    std::wstring timestamp_;                                        // 9
    std::wstring extension_id_;                                     // 10
    std::map<std::wstring, std::wstring> attributes_;               // 11
    std::wstring correlation_id_;                                   // 12
    std::wstring device_action_state_;                              // 13
    NotificationProvider provider_ = NotificationProvider::Client;  // 14
};

class ORVTag {
  public:
    ORVTag() = default;
    ORVTag(std::wstring tagName, std::wstring tagValue)
        : name(std::move(tagName)), value(std::move(tagValue)) {}

    ORV_EXPORT ORVTag(const ORVTag& other);
    ORV_EXPORT ORVTag(ORVTag&& other) noexcept;  // leaves other's two strings empty
    ORV_EXPORT ORVTag& operator=(const ORVTag& other);
    ORV_EXPORT ORVTag& operator=(ORVTag&& other) noexcept;
    ORV_EXPORT ~ORVTag();  // releases value, then name

    std::wstring name;
    std::wstring value;
};
