#pragma once
// A registry value, read when judged; remove = expect the value to be absent.

#include <string>
#include <string_view>

#include "host/scenario/scenario_model.h"

namespace orvhost {

class JsonNode;
class JsonObject;
struct ExpectationResult;
struct Snapshot;

struct RegistryExpectation {
    static constexpr std::string_view kName = "registry";
    RegistryEdit value;

    // `member` is its key's value; `object` holds the keys it shares ("count", ...).
    void Read(const JsonNode& member, JsonObject& object);
    std::string Describe() const;
    void Judge(const Snapshot& snapshot, ExpectationResult& result) const;
};

}  // namespace orvhost
