#pragma once
// A duration on the machine's clock: a host span, or from one log line to the next matching
// one after it.

#include "host/expectations/expectation_kind.h"

namespace orvhost {

struct DurationExpectation {
    static constexpr std::string_view kName = "duration";
    // Host-measured spans it can name.
    enum class Span { kOnStart, kOnStop, kStartToFullInit };

    std::optional<Span> span;
    std::optional<LogMatcher> from;
    std::optional<LogMatcher> to;
    std::optional<std::int64_t> atLeastMs;
    std::optional<std::int64_t> atMostMs;

    void Read(const JsonNode& member, JsonObject& object);
    std::string Describe() const;
    void Judge(const Snapshot& snapshot, ExpectationResult& result) const;
    void Validate(const Expectation& expectation, Diagnostics& diagnostics) const;
};

}  // namespace orvhost
