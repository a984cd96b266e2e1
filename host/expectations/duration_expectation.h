#pragma once
// A duration on the machine's clock: a host span, or from one log line to the next matching
// one after it.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "host/scenario/scenario_model.h"

namespace orvhost {

class Diagnostics;
class JsonNode;
class JsonObject;
struct Expectation;
struct ExpectationResult;
struct Snapshot;

struct DurationExpectation {
    static constexpr std::string_view kName = "duration";
    // Host-measured spans it can name.
    enum class Span { kOnStart, kOnStop, kStartToFullInit };

    std::optional<Span> span;
    std::optional<LogMatcher> from;
    std::optional<LogMatcher> to;
    std::optional<std::int64_t> atLeastMs;
    std::optional<std::int64_t> atMostMs;

    // `member` is its key's value; `object` holds the keys it shares ("count", ...).
    void Read(const JsonNode& member, JsonObject& object);
    std::string Describe() const;
    void Judge(const Snapshot& snapshot, ExpectationResult& result) const;
    // Cross-checks that reading one object cannot make.
    void Validate(const Expectation& expectation, Diagnostics& diagnostics) const;
};

}  // namespace orvhost
