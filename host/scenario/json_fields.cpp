#include "host/scenario/json_fields.h"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <cmath>

namespace orvhost {

namespace {

bool IsIdentifier(std::string_view key) {
    return !key.empty() && std::all_of(key.begin(), key.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
    });
}

// Text from the file is shown up to this length.
constexpr std::size_t kMaxShown = 60;

std::string Quoted(std::string_view text) {
    std::string shown(text.substr(0, kMaxShown));
    return "\"" + shown + (text.size() > kMaxShown ? "...\"" : "\"");
}

// The known key a misspelling most likely meant: the nearest within two edits. Keys whose
// lengths differ by more cannot be that near, so a huge key costs no comparison at all.
const std::string* NearMiss(const std::vector<std::string>& known, std::string_view key) {
    constexpr std::size_t kMaxEdits = 2;
    const std::string* nearest = nullptr;
    std::size_t nearestDistance = kMaxEdits + 1;
    for (const std::string& candidate : known) {
        const std::size_t lengthGap = candidate.size() > key.size() ? candidate.size() - key.size()
                                                                    : key.size() - candidate.size();
        if (lengthGap > kMaxEdits) {
            continue;
        }
        const std::size_t distance = EditDistance(candidate, key);
        if (distance < nearestDistance) {
            nearest = &candidate;
            nearestDistance = distance;
        }
    }
    return nearest;
}

bool IsWholeNumber(const Json::Value& value) {
    return value.type() == Json::intValue || value.type() == Json::uintValue;
}

}  // namespace

void Diagnostics::Add(std::string path, std::string message) {
    all_.push_back({std::move(path), std::move(message)});
}

std::string DescribeJson(const Json::Value& value) {
    switch (value.type()) {
        case Json::nullValue:
            return "null";
        case Json::intValue:
            return std::to_string(value.asInt64());
        case Json::uintValue:
            return std::to_string(value.asUInt64());
        case Json::realValue:
            return fmt::format("{}", value.asDouble());
        case Json::stringValue:
            return Quoted(value.asString());
        case Json::booleanValue:
            return value.asBool() ? "true" : "false";
        case Json::arrayValue:
            return "an array";
        case Json::objectValue:
            return "an object";
    }
    return "a value";
}

void JsonNode::Expected(std::string_view expected) const {
    diagnostics_->Add(path_, fmt::format("expected {}, found {}", expected, DescribeJson(*value_)));
}

void JsonNode::Error(std::string message) const {
    diagnostics_->Add(path_, std::move(message));
}

std::optional<std::string> JsonNode::String() const {
    if (!value_->isString()) {
        Expected("a string");
        return std::nullopt;
    }
    return value_->asString();
}

std::optional<std::string> JsonNode::NonEmptyString() const {
    if (!value_->isString() || value_->asString().empty()) {
        Expected("a non-empty string");
        return std::nullopt;
    }
    return value_->asString();
}

std::optional<bool> JsonNode::Bool() const {
    if (!value_->isBool()) {
        Expected("true or false");
        return std::nullopt;
    }
    return value_->asBool();
}

std::optional<std::int64_t> JsonNode::Integer(std::int64_t min, std::int64_t max) const {
    const std::string expected = fmt::format("an integer from {} to {}", min, max);
    if (!IsWholeNumber(*value_) || !value_->isInt64()) {
        Expected(expected);
        return std::nullopt;
    }
    const std::int64_t number = value_->asInt64();
    if (number < min || number > max) {
        Expected(expected);
        return std::nullopt;
    }
    return number;
}

std::optional<double> JsonNode::Number(double min, double max) const {
    const std::string expected = fmt::format("a number from {} to {}", min, max);
    if (!value_->isNumeric() || value_->isBool()) {
        Expected(expected);
        return std::nullopt;
    }
    const double number = value_->asDouble();
    if (!std::isfinite(number) || number < min || number > max) {
        Expected(expected);
        return std::nullopt;
    }
    return number;
}

std::optional<std::vector<JsonNode>> JsonNode::Array() const {
    if (!value_->isArray()) {
        Expected("an array");
        return std::nullopt;
    }
    std::vector<JsonNode> elements;
    for (Json::ArrayIndex i = 0; i < value_->size(); ++i) {
        elements.emplace_back((*value_)[i], ElementPath(i), *diagnostics_);
    }
    return elements;
}

std::optional<std::int64_t> JsonNode::IntegerOrName(
    std::int64_t min, std::int64_t max,
    const std::vector<std::pair<std::string_view, std::int64_t>>& names) const {
    if (value_->isString()) {
        const std::string text = value_->asString();
        for (const auto& [name, number] : names) {
            if (name == text) {
                return number;
            }
        }
    } else if (IsWholeNumber(*value_) && value_->isInt64() && value_->asInt64() >= min &&
               value_->asInt64() <= max) {
        return value_->asInt64();
    }
    std::string expected = fmt::format("an integer from {} to {}", min, max);
    if (!names.empty()) {
        expected += " or one of";
        for (std::size_t i = 0; i < names.size(); ++i) {
            expected += (i == 0 ? " \"" : ", \"") + std::string(names[i].first) + "\"";
        }
    }
    Expected(expected);
    return std::nullopt;
}

std::string JsonNode::MemberPath(std::string_view key) const {
    if (IsIdentifier(key) && key.size() <= kMaxShown) {
        return path_ + "." + std::string(key);
    }
    return path_ + "[" + Quoted(key) + "]";
}

std::string JsonNode::ElementPath(std::size_t index) const {
    return fmt::format("{}[{}]", path_, index);
}

JsonObject::JsonObject(const JsonNode& node) : node_(node), valid_(node.value().isObject()) {
    if (!valid_) {
        node.Expected("an object");
    }
}

std::optional<JsonNode> JsonObject::Take(std::string_view key) {
    if (std::find(known_.begin(), known_.end(), key) == known_.end()) {
        known_.emplace_back(key);
    }
    if (!valid_ || !Has(key)) {
        return std::nullopt;
    }
    const std::string name(key);
    return JsonNode(node_.value()[name], node_.MemberPath(key), node_.diagnostics());
}

std::optional<JsonNode> JsonObject::Require(std::string_view key) {
    std::optional<JsonNode> member = Take(key);
    if (!member && valid_) {
        node_.Error(fmt::format("missing required key \"{}\"", key));
    }
    return member;
}

bool JsonObject::Has(std::string_view key) const {
    return valid_ && node_.value().isMember(key.data(), key.data() + key.size());
}

void JsonObject::RejectUnknown() const {
    if (!valid_) {
        return;
    }
    for (const std::string& key : node_.value().getMemberNames()) {
        if (std::find(known_.begin(), known_.end(), key) != known_.end()) {
            continue;
        }
        std::string message = fmt::format("unknown key {}", Quoted(key));
        if (const std::string* nearest = NearMiss(known_, key)) {
            message += fmt::format(" (did you mean \"{}\"?)", *nearest);
        }
        if (known_.empty()) {
            message += "; this object takes no keys";
        } else {
            message += "; expected one of: " + fmt::format("{}", fmt::join(known_, ", "));
        }
        node_.diagnostics().Add(node_.MemberPath(key), message);
    }
}

std::size_t EditDistance(std::string_view a, std::string_view b) {
    std::vector<std::size_t> previous(b.size() + 1);
    std::vector<std::size_t> current(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) {
        previous[j] = j;
    }
    for (std::size_t i = 1; i <= a.size(); ++i) {
        current[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t substitution = previous[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1);
            current[j] = std::min({previous[j] + 1, current[j - 1] + 1, substitution});
        }
        std::swap(previous, current);
    }
    return previous[b.size()];
}

}  // namespace orvhost
