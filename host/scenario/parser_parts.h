#pragma once
// The pieces of the scenario parser, shared between its source files: each reads one part
// of the file into the model and reports what is wrong through the node's Diagnostics.
// Every function returns its best reading even after an error; callers look at the
// Diagnostics, not at the result, to know whether the file is valid.

#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "host/scenario/json_fields.h"
#include "host/scenario/scenario.h"
#include "host/scenario/scenario_names.h"

namespace orvhost::parse {

MachineArrangement Machine(const JsonNode& node, bool midRun);
ClientArrangement Client(const JsonNode& node);

std::vector<Step> Steps(const JsonNode& node);
std::vector<Expectation> Expectations(const JsonNode& node);
// The members of an anyOf or allOf: a list that may not be empty.
std::vector<Expectation> Group(const JsonNode& node);

// A condition to wait for: exactly one of "log", "call", "publication", with "count" and
// "new". `newByDefault` is what "new" is when the file does not say.
std::optional<Condition> ConditionOf(JsonObject& object, bool newByDefault);

LogMatcher Log(const JsonNode& node);
CallMatcher Call(const JsonNode& node);
PublicationMatcher Publication(const JsonNode& node);
std::optional<StatusMatcher> Status(const JsonNode& node);
RegistryEdit Registry(JsonObject& object, bool forExpectation);
FailureArrangement Failure(JsonObject& object);

// "count": n (exactly n) or {"min": a, "max": b}; "absent": true (exactly 0).
void CountOf(JsonObject& object, CountRange& count, std::int64_t minimum);
// "exactly": whether an ordered list must be the whole record.
void Exactly(JsonObject& object, bool& exactly);
// "escapes": the exception a start or stop expects to escape.
void Escapes(JsonObject& object, std::optional<ThrownException>& escapes);

// An unsigned 32-bit value, as a number or as a "0x..." hexadecimal string.
std::optional<std::uint32_t> Dword(const JsonNode& node);
// A Win32 error code or an HRESULT: a number from -2^31 to 2^32-1 or "0x...".
std::optional<std::int32_t> ErrorCode(const JsonNode& node);
// A duration in milliseconds, 0 to about 11.5 days.
std::optional<std::int64_t> Milliseconds(const JsonNode& node);
// A clock move in milliseconds, up to ten years either way.
std::optional<std::int64_t> SignedMs(const JsonNode& node);
// A code as a number, a "0x..." string, or one of the names of `table`.
std::optional<std::uint32_t> CodeOrName(const JsonNode& node, const names::NumberNames& table);

// A list of at least one element, each read by `read` (elements it returns nothing for are
// left out).
template <class T, class Read>
std::vector<T> ListOf(const JsonNode& node, Read&& read) {
    std::vector<T> list;
    if (auto elements = node.Array()) {
        if (elements->empty()) {
            node.Error("the list is empty");
        }
        for (const JsonNode& element : *elements) {
            if (auto item = read(element)) {
                list.push_back(*item);
            }
        }
    }
    return list;
}

// Reads the member into `target` when present.
template <class T, class Read>
void Optional(JsonObject& object, std::string_view key, T& target, Read&& read) {
    if (auto member = object.Take(key)) {
        if (auto value = read(*member)) {
            target = *value;
        }
    }
}

// Exactly one of `keys` must be present: returns its index, or nothing (with an error).
std::optional<std::size_t> OneKeyOf(JsonObject& object, const std::vector<std::string_view>& keys,
                                    std::string_view what);

}  // namespace orvhost::parse
