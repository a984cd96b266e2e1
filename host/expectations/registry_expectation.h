#pragma once
// A registry value, read when judged; remove = expect the value to be absent.

#include "host/expectations/expectation_kind.h"

namespace orvhost {

struct RegistryExpectation {
    static constexpr std::string_view kName = "registry";
    RegistryEdit value;

    void Read(const JsonNode& member, JsonObject& object);
    std::string Describe() const;
    void Judge(const Snapshot& snapshot, ExpectationResult& result) const;
};

}  // namespace orvhost
