#include "host/scenario/scenario_parser.h"

#include <json/reader.h>
#include <json/value.h>

#include <fmt/format.h>

#include <fstream>
#include <memory>
#include <sstream>

#include "host/scenario/parser_parts.h"
#include "host/scenario/scenario_validator.h"

namespace orvhost {

namespace {

// Deeper nesting is no scenario; the reader stops there instead of exhausting its stack.
constexpr int kMaxNesting = 100;

// jsoncpp's messages look like "* Line 3, Column 5\n  Missing ',' ...\n"; one line each.
std::vector<std::string> SyntaxErrors(const std::string& formatted) {
    std::vector<std::string> errors;
    std::istringstream lines(formatted);
    std::string line;
    std::string where;
    while (std::getline(lines, line)) {
        const auto first = line.find_first_not_of(' ');
        if (first == std::string::npos) {
            continue;
        }
        line = line.substr(first);
        if (line.starts_with("* ")) {
            where = line.substr(2);
        } else if (!line.starts_with("See Line")) {
            errors.push_back(fmt::format("{}: JSON syntax: {}", where, line));
        }
    }
    if (errors.empty()) {
        errors.push_back("JSON syntax: " + formatted);
    }
    return errors;
}

}  // namespace

Scenario ParseScenario(const Json::Value& root, Diagnostics& diagnostics) {
    Scenario scenario;
    JsonObject object(JsonNode(root, "$", diagnostics));
    parse::Optional(object, "name", scenario.name,
                    [](const JsonNode& n) { return n.NonEmptyString(); });
    parse::Optional(object, "description", scenario.description,
                    [](const JsonNode& n) { return n.String(); });
    object.Take("note");
    parse::Optional(object, "timeoutMs", scenario.timeoutMs,
                    [](const JsonNode& n) { return n.Integer(1, 3600000); });
    if (auto machine = object.Take("machine")) {
        scenario.machine = parse::Machine(*machine, false);
    }
    if (auto client = object.Take("client")) {
        scenario.client = parse::Client(*client);
    }
    if (auto timeline = object.Require("timeline")) {
        scenario.timeline = parse::Steps(*timeline);
    }
    if (auto expect = object.Take("expect")) {
        scenario.expectations = parse::Expectations(*expect);
    }
    object.RejectUnknown();
    return scenario;
}

LoadResult LoadScenarioText(std::string_view text, const std::string& source) {
    LoadResult result;
    Json::CharReaderBuilder builder;
    builder["allowComments"] = true;
    builder["allowTrailingCommas"] = false;
    builder["strictRoot"] = true;
    builder["allowDroppedNullPlaceholders"] = false;
    builder["allowNumericKeys"] = false;
    builder["allowSingleQuotes"] = false;
    builder["failIfExtra"] = true;
    builder["rejectDupKeys"] = true;
    builder["allowSpecialFloats"] = false;
    builder["stackLimit"] = kMaxNesting;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    std::string syntax;
    bool parsed = false;
    try {
        parsed = reader->parse(text.data(), text.data() + text.size(), &root, &syntax);
    } catch (const Json::Exception&) {
        // The reader's one throw: its nesting limit.
        result.errors.push_back(fmt::format(
            "{}: JSON syntax: nested more than {} arrays and objects deep", source, kMaxNesting));
        return result;
    }
    if (!parsed) {
        for (const std::string& error : SyntaxErrors(syntax)) {
            result.errors.push_back(fmt::format("{}: {}", source, error));
        }
        return result;
    }
    Diagnostics diagnostics;
    Scenario scenario = ParseScenario(root, diagnostics);
    if (diagnostics.empty()) {
        ValidateScenario(scenario, diagnostics);
    }
    for (const Diagnostic& diagnostic : diagnostics.all()) {
        result.errors.push_back(
            fmt::format("{}: {}: {}", source, diagnostic.path, diagnostic.message));
    }
    if (result.errors.empty()) {
        scenario.file = source;
        result.scenario = std::move(scenario);
    }
    return result;
}

LoadResult LoadScenarioFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return LoadResult{std::nullopt, {fmt::format("{}: cannot be read", file.string())}};
    }
    std::ostringstream text;
    text << in.rdbuf();
    LoadResult result = LoadScenarioText(text.str(), file.string());
    if (result.scenario && result.scenario->name.empty()) {
        result.scenario->name = file.stem().string();
    }
    return result;
}

}  // namespace orvhost
