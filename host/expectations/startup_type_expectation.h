#pragma once
// The service's Start and DelayedAutostart, read from the registry when judged.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "host/scenario/scenario_model.h"

namespace orvhost {

class JsonNode;
class JsonObject;
struct ExpectationResult;
struct Snapshot;

struct StartupTypeExpectation {
    static constexpr std::string_view kName = "startupType";
    std::optional<std::uint32_t> start;
    // An empty inner optional means "no DelayedAutostart value".
    std::optional<std::optional<std::uint32_t>> delayedAutostart;

    // `member` is its key's value; `object` holds the keys it shares ("count", ...).
    void Read(const JsonNode& member, JsonObject& object);
    std::string Describe() const;
    void Judge(const Snapshot& snapshot, ExpectationResult& result) const;
};

}  // namespace orvhost
