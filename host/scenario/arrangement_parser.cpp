// Reading "machine" and "client" (and the same objects in an "arrange" step).

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <limits>
#include <string>

#include "host/scenario/parser_parts.h"
#include "host/scenario/scenario_names.h"
#include "sim/trace.h"

namespace orvhost::parse {

namespace {

constexpr std::int64_t kDwordMax = std::numeric_limits<std::uint32_t>::max();

bool Contains(const std::vector<std::string_view>& list, std::string_view name) {
    return std::find(list.begin(), list.end(), name) != list.end();
}

std::string ListOf(const std::vector<std::string_view>& list) {
    return fmt::format("{}", fmt::join(list, ", "));
}

std::optional<ServiceInstall> Service(const JsonNode& node) {
    JsonObject object(node);
    ServiceInstall install;
    Optional(object, "installed", install.installed, [](const JsonNode& n) { return n.Bool(); });
    Optional(object, "start", install.start, [](const JsonNode& n) -> std::optional<std::uint32_t> {
        auto number = n.IntegerOrName(0, 4, names::StartTypes());
        return number ? std::optional<std::uint32_t>(static_cast<std::uint32_t>(*number))
                      : std::nullopt;
    });
    if (auto delayed = object.Take("delayedAutostart")) {
        if (delayed->value().isNull()) {
            install.delayedAutostart.reset();
        } else if (auto value = Dword(*delayed)) {
            install.delayedAutostart = *value;
        }
    }
    object.RejectUnknown();
    return install;
}

void Oobe(const JsonNode& node, MachineArrangement& machine) {
    if (node.value().isString()) {
        if (auto mode = node.Enum<OobeMode>(
                {{"complete", OobeMode::kComplete}, {"never", OobeMode::kNever}})) {
            machine.oobe = *mode;
        }
        return;
    }
    if (!node.value().isObject()) {
        node.Expected("\"complete\", \"never\" or {\"completeAfterChecks\": N}");
        return;
    }
    JsonObject object(node);
    if (auto checks = object.Require("completeAfterChecks")) {
        if (auto count = checks->Integer(0, 1000)) {
            machine.oobe = OobeMode::kAfterChecks;
            machine.oobeFailedChecks = static_cast<unsigned>(*count);
        }
    }
    object.RejectUnknown();
}

std::vector<RegistryEdit> RegistryList(const JsonNode& node) {
    std::vector<RegistryEdit> edits;
    if (auto elements = node.Array()) {
        for (const JsonNode& element : *elements) {
            JsonObject object(element);
            edits.push_back(Registry(object, false));
            object.RejectUnknown();
        }
    }
    return edits;
}

std::vector<FailureArrangement> FailureList(const JsonNode& node) {
    std::vector<FailureArrangement> failures;
    if (auto elements = node.Array()) {
        for (const JsonNode& element : *elements) {
            JsonObject object(element);
            failures.push_back(Failure(object));
            object.RejectUnknown();
        }
    }
    return failures;
}

std::optional<AgentStepArrangement> AgentStep(const JsonNode& node) {
    JsonObject object(node);
    AgentStepArrangement step;
    Optional(object, "durationMs", step.durationMs, Milliseconds);
    Optional(object, "fail", step.failure, [](const JsonNode& n) {
        return n.Enum<StepFailureMode>({{"none", StepFailureMode::kNone},
                                        {"returnFalse", StepFailureMode::kReturnFalse},
                                        {"throw", StepFailureMode::kThrow}});
    });
    object.RejectUnknown();
    return step;
}

AgentArrangement Agent(const JsonNode& node, std::string_view name) {
    JsonObject object(node);
    AgentArrangement agent;
    const auto boolean = [](const JsonNode& n) { return n.Bool(); };
    Optional(object, "present", agent.present, boolean);
    Optional(object, "initialised", agent.initialised, boolean);
    Optional(object, "init", agent.init, AgentStep);
    Optional(object, "fullInit", agent.fullInit, AgentStep);
    if (auto unInit = object.Take("unInit")) {
        JsonObject step(*unInit);
        Optional(step, "durationMs", agent.unInitDurationMs, Milliseconds);
        step.RejectUnknown();
    }
    Optional(object, "nameThrows", agent.nameThrows, boolean);
    Optional(object, "constructionFails", agent.constructionFails, boolean);
    object.RejectUnknown();

    const bool constructed = names::IsConstructedAgent(name);
    if (constructed && agent.present) {
        node.Error(
            fmt::format("\"{}\" is constructed by the service and is always present; arrange "
                        "\"constructionFails\" instead of \"present\"",
                        name));
    }
    if (!constructed && agent.constructionFails) {
        node.Error(fmt::format(
            "\"constructionFails\" applies only to CoreAdapterAgent and DeviceRegistrationAgent, "
            "not to \"{}\"",
            name));
    }
    return agent;
}

std::optional<RegistrationArrangement> Registration(const JsonNode& node) {
    JsonObject object(node);
    RegistrationArrangement registration;
    Optional(object, "success", registration.success, [](const JsonNode& n) { return n.Bool(); });
    Optional(object, "errorCode", registration.errorCode, ErrorCode);
    Optional(object, "durationMs", registration.durationMs, Milliseconds);
    object.RejectUnknown();
    return registration;
}

std::optional<FullInitSignal> FullInit(const JsonNode& node) {
    JsonObject object(node);
    FullInitSignal signal;
    Optional(object, "enabled", signal.enabled, [](const JsonNode& n) { return n.Bool(); });
    Optional(object, "delayMs", signal.delayMs, Milliseconds);
    object.RejectUnknown();
    return signal;
}

std::optional<UserProcessBehaviour> UserProcess(const JsonNode& node) {
    JsonObject object(node);
    UserProcessBehaviour behaviour;
    Optional(object, "datasetEnabled", behaviour.datasetEnabled,
             [](const JsonNode& n) { return n.Bool(); });
    if (auto answer = object.Take("sessionChangeAnswer")) {
        if (answer->value().isNull()) {
            behaviour.sessionChangeAnswer = std::optional<int>();
        } else if (auto number = answer->Integer(std::numeric_limits<int>::min(),
                                                 std::numeric_limits<int>::max())) {
            behaviour.sessionChangeAnswer = static_cast<int>(*number);
        }
    }
    object.RejectUnknown();
    return behaviour;
}

std::optional<unsigned> Times(const JsonNode& node, bool& valid) {
    const Json::Value& value = node.value();
    if (value.isString() && value.asString() == "always") {
        return std::nullopt;
    }
    if ((value.type() == Json::intValue || value.type() == Json::uintValue) && value.isInt64() &&
        value.asInt64() >= 1 && value.asInt64() <= 1000000) {
        return static_cast<unsigned>(value.asInt64());
    }
    node.Expected("an integer from 1 to 1000000 or \"always\"");
    valid = false;
    return std::nullopt;
}

// Reads a traced call in the "Component::operation" form of the call matchers into the
// arrangement, reporting why the trace would refuse it.
template <class Arrangement>
void ReadArrangedCall(const JsonNode& call, Arrangement& arrangement,
                      std::string (*refusalOf)(std::string_view, std::string_view)) {
    if (!call.value().isString()) {
        call.Expected("\"Component::operation\"");
        return;
    }
    const CallMatcher matcher = parse::Call(call);
    if (matcher.component.empty()) {
        return;
    }
    arrangement.component = matcher.component;
    arrangement.operation = matcher.operation;
    if (std::string refusal = refusalOf(matcher.component, matcher.operation); !refusal.empty()) {
        call.Error(refusal);
    }
}

// Reads the optional "times" key; an invalid value leaves the default, with its error.
void ReadTimes(JsonObject& object, std::optional<unsigned>& times) {
    if (auto node = object.Take("times")) {
        bool valid = true;
        const std::optional<unsigned> count = Times(*node, valid);
        if (valid) {
            times = count;
        }
    }
}

ThrowArrangement Throw(const JsonNode& node) {
    JsonObject object(node);
    ThrowArrangement arrangement;
    arrangement.path = node.path();
    if (auto call = object.Require("call")) {
        ReadArrangedCall(*call, arrangement, &orvsim::ArrangeThrowRefusal);
    }
    if (auto exception = object.Require("exception")) {
        if (auto kind = exception->Enum<ThrownException>(
                {{"runtime_error", ThrownException::kRuntimeError},
                 {"bad_array_new_length", ThrownException::kBadArrayNewLength}})) {
            arrangement.exception = *kind;
        }
    }
    ReadTimes(object, arrangement.times);
    object.RejectUnknown();
    return arrangement;
}

DelayArrangement Delay(const JsonNode& node) {
    JsonObject object(node);
    DelayArrangement arrangement;
    arrangement.path = node.path();
    const auto which = OneKeyOf(object, {"call", "log"}, "call or log line to delay");
    if (which == 0) {
        ReadArrangedCall(*object.Take("call"), arrangement, &orvsim::ArrangeDelayRefusal);
    } else if (which == 1) {
        auto log = object.Take("log");
        arrangement.logMessage = log->NonEmptyString().value_or("");
    }
    if (auto ms = object.Require("ms")) {
        if (auto value = ms->Integer(0, 4294967294LL)) {
            arrangement.ms = *value;
        }
    }
    ReadTimes(object, arrangement.times);
    object.RejectUnknown();
    return arrangement;
}

std::vector<DelayArrangement> DelayList(const JsonNode& node) {
    std::vector<DelayArrangement> delays;
    if (auto elements = node.Array()) {
        for (const JsonNode& element : *elements) {
            delays.push_back(Delay(element));
        }
    }
    return delays;
}

std::vector<ThrowArrangement> ThrowList(const JsonNode& node) {
    std::vector<ThrowArrangement> throws;
    if (auto elements = node.Array()) {
        for (const JsonNode& element : *elements) {
            throws.push_back(Throw(element));
        }
    }
    return throws;
}

}  // namespace

MachineArrangement Machine(const JsonNode& node, bool midRun) {
    JsonObject object(node);
    MachineArrangement machine;
    Optional(object, "clockScale", machine.clockScale,
             [](const JsonNode& n) { return n.Number(0.01, 1000.0); });
    Optional(object, "architecture", machine.architecture,
             [](const JsonNode& n) -> std::optional<std::uint16_t> {
                 auto number = n.IntegerOrName(0, 0xFFFF, names::Architectures());
                 return number ? std::optional<std::uint16_t>(static_cast<std::uint16_t>(*number))
                               : std::nullopt;
             });
    if (auto image = object.Take("imageState")) {
        if (image->value().isNull()) {
            machine.imageState = std::optional<std::string>();
        } else if (auto text = image->String()) {
            machine.imageState = *text;
        }
    }
    if (auto oobe = object.Take("oobe")) {
        Oobe(*oobe, machine);
    }
    if (!midRun) {
        Optional(object, "service", machine.service, Service);
    }
    if (auto registry = object.Take("registry")) {
        machine.registry = RegistryList(*registry);
    }
    Optional(object, "manufacturer", machine.manufacturer,
             [](const JsonNode& n) { return n.String(); });
    Optional(object, "driveType", machine.driveType, [](const JsonNode& n) {
        return n.Enum<std::string>({{"hdd", "hdd"}, {"ssd", "ssd"}, {"unknown", "unknown"}});
    });
    Optional(object, "runningMutexHeld", machine.runningMutexHeld,
             [](const JsonNode& n) { return n.Bool(); });
    if (auto session = object.Take("currentSessionId")) {
        if (session->value().isNull()) {
            machine.currentSessionId = std::optional<std::uint32_t>();
        } else if (auto id = Dword(*session)) {
            machine.currentSessionId = *id;
        }
    }
    if (auto failures = object.Take("failures")) {
        machine.failures = FailureList(*failures);
    }
    object.RejectUnknown();
    return machine;
}

// A list of names, each one of `table`.
template <class Table>
std::vector<std::string> NamesOf(const JsonNode& node, const Table& table) {
    std::vector<std::string> list;
    if (auto elements = node.Array()) {
        for (const JsonNode& element : *elements) {
            auto name = element.String();
            if (name && Contains(table, *name)) {
                list.push_back(*name);
            } else if (name) {
                element.Expected("one of " + ListOf(table));
            }
        }
    }
    return list;
}

ClientArrangement Client(const JsonNode& node) {
    JsonObject object(node);
    ClientArrangement client;
    if (auto agents = object.Take("agents")) {
        JsonObject byName(*agents);
        for (std::string_view name : names::Agents()) {
            if (auto agent = byName.Take(name)) {
                client.agents[std::string(name)] = Agent(*agent, name);
            }
        }
        byName.RejectUnknown();
    }
    Optional(object, "registration", client.registration, Registration);
    Optional(object, "fullInitSignal", client.fullInitSignal, FullInit);
    Optional(object, "delayStartAllowed", client.delayStartAllowed,
             [](const JsonNode& n) { return n.Bool(); });
    Optional(object, "userProcess", client.userProcess, UserProcess);
    if (auto absent = object.Take("absentHelpers")) {
        for (const std::string& name : NamesOf(*absent, names::Helpers())) {
            client.helpersAbsent[name] = true;
        }
    }
    Optional(object, "serviceVersion", client.serviceVersion,
             [](const JsonNode& n) { return n.NonEmptyString(); });
    Optional(object, "tagCollectionDurationMs", client.tagCollectionDurationMs, Milliseconds);
    Optional(object, "diagnosticsScanDurationMs", client.diagnosticsScanDurationMs, Milliseconds);
    if (auto throws = object.Take("throws")) {
        client.throws = ThrowList(*throws);
    }
    if (auto delays = object.Take("delays")) {
        client.delays = DelayList(*delays);
    }
    if (auto slots = object.Take("emptyHelperSlots")) {
        client.emptyHelperSlots = NamesOf(*slots, names::HelperSlots());
    }
    object.RejectUnknown();
    return client;
}

RegistryEdit Registry(JsonObject& object, bool forExpectation) {
    RegistryEdit edit;
    if (auto key = object.Require("key")) {
        edit.key = key->NonEmptyString().value_or("");
    }
    if (auto name = object.Require("name")) {
        edit.name = name->String().value_or("");
    }
    const std::string_view removal = forExpectation ? "absent" : "delete";
    const auto which = OneKeyOf(object, {"string", "dword", removal}, "value");
    if (which == 0) {
        Optional(object, "string", edit.text, [](const JsonNode& n) { return n.String(); });
    } else if (which == 1) {
        Optional(object, "dword", edit.dword, Dword);
    } else if (which == 2) {
        auto member = object.Take(removal);
        if (member && member->value() != Json::Value(true)) {
            member->Expected("true");
        }
        edit.remove = true;
    }
    return edit;
}

FailureArrangement Failure(JsonObject& object) {
    FailureArrangement failure;
    if (auto call = object.Require("call")) {
        auto name = call->String();
        if (name && Contains(names::FailingCalls(), *name)) {
            failure.call = *name;
        } else if (name) {
            call->Expected("one of " + ListOf(names::FailingCalls()));
        }
    }
    const bool clear = object.Has("clear");
    if (auto member = object.Take("clear")) {
        if (member->value() != Json::Value(true)) {
            member->Expected("true");
        }
        failure.clear = true;
    }
    const bool isCom = failure.call == "CoInitializeEx" || failure.call == "CoInitializeSecurity";
    constexpr std::int32_t kNoThreadToGive = 11;  // EAGAIN, what a refused thread start reports
    failure.code = isCom ? static_cast<std::int32_t>(0x80004005u)  // E_FAIL
                   : failure.call == "CreateThread" ? kNoThreadToGive
                                                    : 5;  // access denied
    Optional(object, "code", failure.code, ErrorCode);
    if (auto times = object.Take("times")) {
        const Json::Value& value = times->value();
        if (value.isString() && value.asString() == "always") {
            failure.times.reset();
        } else if ((value.type() == Json::intValue || value.type() == Json::uintValue) &&
                   value.isInt64() && value.asInt64() >= 1 && value.asInt64() <= 1000000) {
            failure.times = static_cast<unsigned>(value.asInt64());
        } else {
            times->Expected("an integer from 1 to 1000000 or \"always\"");
        }
    }
    if (auto caller = object.Take("caller")) {
        if (caller->Enum<bool>({{"service", true}, {"any", false}}).value_or(false)) {
            failure.serviceOnly = true;
        }
    }
    if (auto skip = object.Take("skip")) {
        if (auto count = skip->Integer(0, 1000000)) {
            failure.skip = static_cast<unsigned>(*count);
        }
    }
    if (clear &&
        (object.Has("code") || object.Has("times") || object.Has("caller") || object.Has("skip"))) {
        object.node().Error("\"clear\" takes no \"code\", \"times\", \"caller\" or \"skip\"");
    }
    return failure;
}

std::optional<std::uint32_t> Dword(const JsonNode& node) {
    if (node.value().isString()) {
        const std::string text = node.value().asString();
        if (text.size() > 2 && text.size() <= 10 &&
            (text.starts_with("0x") || text.starts_with("0X")) &&
            std::all_of(text.begin() + 2, text.end(),
                        [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; })) {
            return static_cast<std::uint32_t>(std::stoul(text.substr(2), nullptr, 16));
        }
        node.Expected("an integer from 0 to 4294967295 or a \"0x...\" hexadecimal string");
        return std::nullopt;
    }
    auto number = node.Integer(0, kDwordMax);
    return number ? std::optional<std::uint32_t>(static_cast<std::uint32_t>(*number))
                  : std::nullopt;
}

std::optional<std::int32_t> ErrorCode(const JsonNode& node) {
    if (node.value().isString()) {
        auto value = Dword(node);
        return value ? std::optional<std::int32_t>(static_cast<std::int32_t>(*value))
                     : std::nullopt;
    }
    auto number = node.Integer(std::numeric_limits<std::int32_t>::min(), kDwordMax);
    return number ? std::optional<std::int32_t>(
                        static_cast<std::int32_t>(static_cast<std::uint32_t>(*number)))
                  : std::nullopt;
}

std::optional<std::int64_t> Milliseconds(const JsonNode& node) {
    constexpr std::int64_t kMax = 1000000000;  // about 11.5 days
    return node.Integer(0, kMax);
}

std::optional<std::size_t> OneKeyOf(JsonObject& object, const std::vector<std::string_view>& keys,
                                    std::string_view what) {
    std::optional<std::size_t> found;
    std::size_t present = 0;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (object.Take(keys[i])) {
            found = found.value_or(i);
            ++present;
        }
    }
    if (present != 1 && object.valid()) {
        object.node().Error(fmt::format("{} {}: give exactly one of {}",
                                        present == 0 ? "no" : "more than one", what, ListOf(keys)));
        return std::nullopt;
    }
    return found;
}

}  // namespace orvhost::parse
