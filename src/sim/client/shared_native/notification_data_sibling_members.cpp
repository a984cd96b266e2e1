// ORVNotificationData's members of the shared-native library: the constructor reads the
// payload's JSON members into the record's fields, as shared/notification_data.h lays out.
// Trace entries: the constructor's arguments; the destructor names the topic and event state
// of the record it destroys; deserialize... records the flag it hands back.

#include <json/json.h>

#include <memory>
#include <optional>
#include <string>

#include "base/unicode.h"
#include "shared/notification_data.h"
#include "sim/trace.h"

namespace {

constexpr char kComponent[] = "ORVNotificationData";

// The payload as a JSON object, or nothing when it is empty, not JSON, nested too deep to read
// or not an object.
std::optional<Json::Value> ParseObject(const std::wstring& payload) {
    if (payload.empty()) {
        return std::nullopt;
    }
    const std::string text = orvbase::WideToUtf8(payload);
    Json::CharReaderBuilder builder;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    std::string errors;
    try {
        if (!reader->parse(text.data(), text.data() + text.size(), &root, &errors) ||
            !root.isObject()) {
            return std::nullopt;
        }
    } catch (const Json::Exception&) {
        // The reader throws, rather than fails, past its nesting limit: unusable all the same.
        return std::nullopt;
    }
    return root;
}

std::wstring StringMember(const Json::Value& object, const char* name) {
    const Json::Value& member = object[name];
    return member.isString() ? orvbase::Utf8ToWide(member.asString()) : std::wstring();
}

std::int32_t IntegerMember(const Json::Value& object, const char* name) {
    const Json::Value& member = object[name];
    const bool integral = member.type() == Json::intValue || member.type() == Json::uintValue;
    return integral && member.isInt() ? member.asInt() : 0;
}

NotificationProvider ProviderMember(const Json::Value& object) {
    const Json::Value& member = object["provider"];
    if (!member.isString()) {
        return NotificationProvider::Client;
    }
    std::string text = member.asString();
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    if (text == "client") {
        return NotificationProvider::Client;
    }
    if (text == "extension") {
        return NotificationProvider::Extension;
    }
    if (text == "zarn") {
        return NotificationProvider::Zarn;
    }
    return NotificationProvider::Unknown;
}

}  // namespace

ORVNotificationData::ORVNotificationData(int topicId, int eventState, std::wstring payload)
    : payload_(std::move(payload)), topic_id_(topicId), event_state_(eventState) {
    orvsim::TraceCall(kComponent, "ORVNotificationData", topicId, eventState, payload_);
    const std::optional<Json::Value> object = ParseObject(payload_);
    if (!object) {
        return;
    }
    error_code_ = IntegerMember(*object, "errorCode");
    message_type_ = StringMember(*object, "messageType");
    action_type_ = StringMember(*object, "actionType");
    message_id_ = StringMember(*object, "messageId");
    source_ = StringMember(*object, "source");
    timestamp_ = StringMember(*object, "timestamp");
    extension_id_ = StringMember(*object, "extensionId");
    const Json::Value& attributes = (*object)["attributes"];
    if (attributes.isObject()) {
        for (const std::string& name : attributes.getMemberNames()) {
            if (attributes[name].isString()) {
                attributes_[orvbase::Utf8ToWide(name)] =
                    orvbase::Utf8ToWide(attributes[name].asString());
            }
        }
    }
    correlation_id_ = StringMember(*object, "correlationId");
    device_action_state_ = StringMember(*object, "deviceActionState");
    provider_ = ProviderMember(*object);
}

ORVNotificationData::~ORVNotificationData() {
    orvsim::TraceCall(kComponent, "~ORVNotificationData", topic_id_, event_state_);
}

int ORVNotificationData::getTopicId() const {
    orvsim::TraceCall(kComponent, "getTopicId");
    return topic_id_;
}

int ORVNotificationData::getEventState() const {
    orvsim::TraceCall(kComponent, "getEventState");
    return event_state_;
}

std::wstring ORVNotificationData::getMessageType() {
    orvsim::TraceCall(kComponent, "getMessageType");
    return message_type_;
}

std::wstring ORVNotificationData::getActionType() {
    orvsim::TraceCall(kComponent, "getActionType");
    return action_type_;
}

bool ORVNotificationData::isZarnNotification() const {
    const bool zarn = !message_type_.empty();
    orvsim::TraceCall(kComponent, "isZarnNotification");
    return zarn;
}

bool ORVNotificationData::isExtensionNotification() const {
    const bool extension = provider_ == NotificationProvider::Extension;
    orvsim::TraceCall(kComponent, "isExtensionNotification");
    return extension;
}

void ORVNotificationData::deserializePayloadForConfigChangeDuringStartup(
    bool& configChangeDuringStartup) {
    const std::optional<Json::Value> object = ParseObject(payload_);
    const Json::Value* member = object ? &(*object)["configChangeDuringStartup"] : nullptr;
    configChangeDuringStartup = member != nullptr && member->isBool() && member->asBool();
    orvsim::TraceCall(kComponent, "deserializePayloadForConfigChangeDuringStartup",
                      configChangeDuringStartup);
}
