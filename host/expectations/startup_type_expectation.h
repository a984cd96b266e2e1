#pragma once
// The service's Start and DelayedAutostart, read from the registry when judged.

#include "host/expectations/expectation_kind.h"

namespace orvhost {

struct StartupTypeExpectation {
    static constexpr std::string_view kName = "startupType";
    std::optional<std::uint32_t> start;
    // An empty inner optional means "no DelayedAutostart value".
    std::optional<std::optional<std::uint32_t>> delayedAutostart;

    void Read(const JsonNode& member, JsonObject& object);
    std::string Describe() const;
    void Judge(const Snapshot& snapshot, ExpectationResult& result) const;
};

}  // namespace orvhost
