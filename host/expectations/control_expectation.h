#pragma once
// Service controls the host delivered, counted: by code, event type, whether they carried
// event data, and what the library's handler answered.

#include "host/expectations/expectation_kind.h"

namespace orvhost {

struct DeliveredControl;

struct ControlMatcher {
    std::optional<std::uint32_t> code;
    std::optional<std::uint32_t> eventType;
    std::optional<bool> withData;
    std::optional<std::uint32_t> returned;  // a control still being handled has no answer yet
};

bool Matches(const ControlMatcher& matcher, const DeliveredControl& control);

struct ControlExpectation {
    static constexpr std::string_view kName = "control";
    ControlMatcher matcher;
    CountRange count;

    void Read(const JsonNode& member, JsonObject& object);
    std::string Describe() const;
    void Judge(const Snapshot& snapshot, ExpectationResult& result) const;
};

}  // namespace orvhost
