#include "host/expectations/startup_type_expectation.h"

#include "host/expectations/judging.h"
#include "host/scenario/parser_parts.h"
#include "host/scenario/scenario_names.h"

namespace orvhost {

namespace {

constexpr wchar_t kServiceKey[] = L"SYSTEM\\CurrentControlSet\\Services\\ORVService";
constexpr char kStartupHint[] = "OrvClientService::ChangeORVStartUpType: ORV Startup Type";

std::optional<std::uint32_t> StartType(const JsonNode& node) {
    auto number = node.IntegerOrName(0, 4, names::StartTypes());
    return number ? std::optional<std::uint32_t>(static_cast<std::uint32_t>(*number))
                  : std::nullopt;
}

std::string StartupText(std::optional<DWORD> start, std::optional<DWORD> delayed) {
    return fmt::format("Start={} DelayedAutostart={}", start ? std::to_string(*start) : "absent",
                       delayed ? std::to_string(*delayed) : "absent");
}

}  // namespace

void StartupTypeExpectation::Read(const JsonNode& member, JsonObject&) {
    JsonObject object(member);
    parse::Optional(object, "start", start, StartType);
    if (auto delayed = object.Take("delayedAutostart")) {
        if (delayed->value().isNull()) {
            delayedAutostart = std::optional<std::uint32_t>();
        } else if (auto value = parse::Dword(*delayed)) {
            delayedAutostart = *value;
        }
    }
    object.RejectUnknown();
    if (!object.Has("start") && !object.Has("delayedAutostart")) {
        member.Error("give \"start\", \"delayedAutostart\" or both");
    }
}

std::string StartupTypeExpectation::Describe() const {
    return fmt::format("startup type {}{}", start ? fmt::format("Start={} ", *start) : "",
                       !delayedAutostart   ? ""
                       : *delayedAutostart ? fmt::format("DelayedAutostart={}", **delayedAutostart)
                                           : "DelayedAutostart absent");
}

void StartupTypeExpectation::Judge(const Snapshot& snapshot, ExpectationResult& result) const {
    const auto actualStart = winsim::registry::GetDword(kServiceKey, L"Start");
    const auto delayed = winsim::registry::GetDword(kServiceKey, L"DelayedAutostart");
    result.met =
        (!start || actualStart == start) && (!delayedAutostart || delayed == *delayedAutostart);
    result.actual = StartupText(actualStart, delayed);
    judging::AddContext(snapshot, kStartupHint, result);
}

}  // namespace orvhost
