#include "shared/notification_data.h"

#include "shared/string_fields.h"

using orv_shared_detail::MoveString;
using orv_shared_detail::TakeString;

ORVNotificationData::ORVNotificationData(const ORVNotificationData& other) = default;

ORVNotificationData::ORVNotificationData(  // NOLINT(performance-noexcept-move-constructor)
    ORVNotificationData&& other)
    : payload_(TakeString(other.payload_)),
      topic_id_(other.topic_id_),
      event_state_(other.event_state_),
      error_code_(other.error_code_),
      message_type_(TakeString(other.message_type_)),
      action_type_(TakeString(other.action_type_)),
      message_id_(TakeString(other.message_id_)),
      source_(TakeString(other.source_)),
      timestamp_(TakeString(other.timestamp_)),
      extension_id_(TakeString(other.extension_id_)),
      correlation_id_(TakeString(other.correlation_id_)),
      device_action_state_(TakeString(other.device_action_state_)),
      provider_(other.provider_) {
    // A fresh empty map traded for the source's: the source keeps a valid, empty map.
    attributes_.swap(other.attributes_);
}

ORVNotificationData& ORVNotificationData::operator=(const ORVNotificationData& other) {
    if (this != &other) {
        payload_ = other.payload_;
        message_type_ = other.message_type_;
        action_type_ = other.action_type_;
        message_id_ = other.message_id_;
        source_ = other.source_;
        timestamp_ = other.timestamp_;
        extension_id_ = other.extension_id_;
        attributes_.clear();
        attributes_.insert(other.attributes_.begin(), other.attributes_.end());
        correlation_id_ = other.correlation_id_;
        device_action_state_ = other.device_action_state_;
    }
    topic_id_ = other.topic_id_;
    event_state_ = other.event_state_;
    error_code_ = other.error_code_;
    provider_ = other.provider_;
    return *this;
}

ORVNotificationData& ORVNotificationData::operator=(ORVNotificationData&& other) noexcept {
    if (this == &other) {
        return *this;
    }
    MoveString(payload_, other.payload_);
    topic_id_ = other.topic_id_;
    event_state_ = other.event_state_;
    error_code_ = other.error_code_;
    MoveString(message_type_, other.message_type_);
    MoveString(action_type_, other.action_type_);
    MoveString(message_id_, other.message_id_);
    MoveString(source_, other.source_);
    MoveString(timestamp_, other.timestamp_);
    MoveString(extension_id_, other.extension_id_);
    attributes_.clear();
    attributes_.swap(other.attributes_);
    MoveString(correlation_id_, other.correlation_id_);
    MoveString(device_action_state_, other.device_action_state_);
    provider_ = other.provider_;
    return *this;
}

std::wstring ORVNotificationData::getDeviceActionState() {
    return device_action_state_;
}

NotificationProvider ORVNotificationData::getNotificationProvider() const {
    return provider_;
}

NotificationProvider ORVNotificationData::setNotificationProvider(NotificationProvider provider) {
    provider_ = provider;
    return provider_;
}

ORVTag::ORVTag(const ORVTag& other) = default;

ORVTag::ORVTag(ORVTag&& other) noexcept
    : name(TakeString(other.name)), value(TakeString(other.value)) {}

ORVTag& ORVTag::operator=(const ORVTag& other) {
    if (this != &other) {
        name = other.name;
        value = other.value;
    }
    return *this;
}

ORVTag& ORVTag::operator=(ORVTag&& other) noexcept {
    if (this != &other) {
        MoveString(name, other.name);
        MoveString(value, other.value);
    }
    return *this;
}

// Members are destroyed in reverse order: value, then name.
ORVTag::~ORVTag() = default;
