#pragma once
// What every kind of expectation's header needs. A kind is a struct with
//   static constexpr std::string_view kName;                     its key in the file
//   void Read(const JsonNode& member, JsonObject& object);       `member` is its key's value;
//                                                                `object` holds the keys it
//                                                                shares ("count", "absent", ...)
//   std::string Describe() const;                                what it asks for, in words
//   void Judge(const Snapshot& snapshot, ExpectationResult& result) const;
// and, where reading one object cannot check everything, Validate(expectation, diagnostics).
// Its row in expectation_table.h makes it part of the file format.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/scenario/scenario_model.h"

namespace orvhost {

class Diagnostics;
class JsonNode;
class JsonObject;
struct Expectation;
struct ExpectationResult;
struct Snapshot;

}  // namespace orvhost
