#include "host/expectations/registry_expectation.h"

#include "base/unicode.h"
#include "host/expectations/judging.h"
#include "host/scenario/parser_parts.h"

namespace orvhost {

void RegistryExpectation::Read(const JsonNode& member, JsonObject&) {
    JsonObject registry(member);
    value = parse::Registry(registry, true);
    registry.RejectUnknown();
}

std::string RegistryExpectation::Describe() const {
    return fmt::format("registry {}\\{} {}", value.key, value.name,
                       value.remove  ? "absent"
                       : value.dword ? fmt::format("= dword {}", *value.dword)
                                     : fmt::format("= \"{}\"", value.text.value_or("")));
}

void RegistryExpectation::Judge(const Snapshot&, ExpectationResult& result) const {
    const std::wstring key = orvbase::Utf8ToWide(value.key);
    const std::wstring name = orvbase::Utf8ToWide(value.name);
    const bool exists = winsim::registry::ValueExists(key, name);
    if (value.remove) {
        result.met = !exists;
    } else if (value.dword) {
        result.met = winsim::registry::GetDword(key, name) == value.dword;
    } else {
        const auto text = winsim::registry::GetString(key, name);
        result.met = text && orvbase::WideToUtf8(*text) == value.text;
    }
    if (!exists) {
        result.actual = "the value does not exist";
    } else if (const auto dword = winsim::registry::GetDword(key, name)) {
        result.actual = fmt::format("dword {}", *dword);
    } else if (const auto text = winsim::registry::GetString(key, name)) {
        result.actual = fmt::format("string \"{}\"", orvbase::WideToUtf8(*text));
    } else {
        result.actual = "a value of another type";
    }
}

}  // namespace orvhost
