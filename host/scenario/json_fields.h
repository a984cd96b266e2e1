#pragma once
// Strict reading of a parsed JSON document: every value is read through a JsonNode that
// knows its JSON path ("$.timeline[2].code") and reports a wrong type or an out-of-range
// value as "<path>: expected <what>, found <what was there>". JsonObject hands out members
// by name and reports every member nobody asked for, so a misspelt key never passes
// silently. Errors are collected, not thrown, so one run of a reader reports them all.
//
// Single-threaded: a reader and its Diagnostics belong to the thread that parses.

#include <json/value.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvhost {

struct Diagnostic {
    std::string path;  // JSON path, "$" for the document
    std::string message;
};

class Diagnostics {
  public:
    void Add(std::string path, std::string message);
    const std::vector<Diagnostic>& all() const { return all_; }
    bool empty() const { return all_.empty(); }

  private:
    std::vector<Diagnostic> all_;
};

// A short rendering of a JSON value for messages: "\"abc\"", "12", "an object", ...
std::string DescribeJson(const Json::Value& value);

class JsonNode {
  public:
    JsonNode(const Json::Value& value, std::string path, Diagnostics& diagnostics)
        : value_(&value), path_(std::move(path)), diagnostics_(&diagnostics) {}

    const Json::Value& value() const { return *value_; }
    const std::string& path() const { return path_; }
    Diagnostics& diagnostics() const { return *diagnostics_; }

    // Reports "<path>: expected <expected>, found <the value>".
    void Expected(std::string_view expected) const;
    // Reports "<path>: <message>".
    void Error(std::string message) const;

    std::optional<std::string> String() const;
    std::optional<std::string> NonEmptyString() const;
    std::optional<bool> Bool() const;
    std::optional<std::int64_t> Integer(std::int64_t min, std::int64_t max) const;
    std::optional<double> Number(double min, double max) const;
    // Elements with their paths; empty (and an error) when the value is not an array.
    std::optional<std::vector<JsonNode>> Array() const;

    // One of the names of `table`, compared exactly.
    template <class T>
    std::optional<T> Enum(const std::vector<std::pair<std::string_view, T>>& table) const {
        if (value_->isString()) {
            const std::string text = value_->asString();
            for (const auto& [name, result] : table) {
                if (name == text) {
                    return result;
                }
            }
        }
        Expected(EnumDescription(table));
        return std::nullopt;
    }

    // An integer in [min, max], or one of the names of `table` standing for a number.
    std::optional<std::int64_t> IntegerOrName(
        std::int64_t min, std::int64_t max,
        const std::vector<std::pair<std::string_view, std::int64_t>>& names) const;

    // A child's path: "<path>.key" or "<path>[3]".
    std::string MemberPath(std::string_view key) const;
    std::string ElementPath(std::size_t index) const;

  private:
    template <class T>
    static std::string EnumDescription(const std::vector<std::pair<std::string_view, T>>& table) {
        std::string text = "one of";
        for (std::size_t i = 0; i < table.size(); ++i) {
            text += (i == 0 ? " \"" : ", \"") + std::string(table[i].first) + "\"";
        }
        return text;
    }

    const Json::Value* value_;
    std::string path_;
    Diagnostics* diagnostics_;
};

class JsonObject {
  public:
    // Reports an error (and stays empty) when the node is not an object.
    explicit JsonObject(const JsonNode& node);

    bool valid() const { return valid_; }
    const JsonNode& node() const { return node_; }

    // The member, if present; either way `key` becomes a known key.
    std::optional<JsonNode> Take(std::string_view key);
    // The member; reports "missing required key" when absent.
    std::optional<JsonNode> Require(std::string_view key);
    bool Has(std::string_view key) const;

    // Reports each member that no Take or Require asked for, with the known keys and, for a
    // near miss, the key that was probably meant.
    void RejectUnknown() const;

  private:
    JsonNode node_;
    bool valid_;
    std::vector<std::string> known_;
};

// Edit distance, for "did you mean" hints.
std::size_t EditDistance(std::string_view a, std::string_view b);

}  // namespace orvhost
