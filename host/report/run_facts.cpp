#include "host/report/run_facts.h"

#include <fmt/format.h>

#include <algorithm>

#include "host/scenario/scenario_names.h"
#include "winapi/control/machine_control.h"

namespace orvhost {

namespace {

using std::chrono::milliseconds;

constexpr wchar_t kServiceKey[] = L"SYSTEM\\CurrentControlSet\\Services\\ORVService";

std::optional<milliseconds> EntryLength(const std::vector<EntryCall>& calls, const char* entry,
                                        bool last) {
    std::optional<milliseconds> length;
    for (const EntryCall& call : calls) {
        if (call.entry == entry && call.returned) {
            length = *call.returned - call.began;
            if (!last) {
                break;
            }
        }
    }
    return length;
}

// From the first line `from` to the first line `to` after it.
std::optional<milliseconds> Between(const std::vector<LogLine>& lines, const char* from,
                                    const char* to) {
    const auto begin = std::find_if(lines.begin(), lines.end(),
                                    [&](const LogLine& line) { return line.message == from; });
    if (begin == lines.end()) {
        return std::nullopt;
    }
    const auto end =
        std::find_if(begin, lines.end(), [&](const LogLine& line) { return line.message == to; });
    return end == lines.end() ? std::nullopt : std::optional<milliseconds>(end->at - begin->at);
}

std::optional<milliseconds> TimeToFullInit(const Snapshot& evidence) {
    const auto start = std::find_if(evidence.entryCalls.begin(), evidence.entryCalls.end(),
                                    [](const EntryCall& call) { return call.entry == "OnStart"; });
    if (start == evidence.entryCalls.end()) {
        return std::nullopt;
    }
    const auto reached = FullInitReachedAt(evidence.lines, start->began);
    return reached ? std::optional<milliseconds>(*reached - start->began) : std::nullopt;
}

std::string ControlText(const DeliveredControl& control) {
    const auto name = names::NameOf(names::ControlCodes(), control.control);
    std::string text = std::to_string(control.control);
    if (control.control == SERVICE_CONTROL_SESSIONCHANGE ||
        control.control == SERVICE_CONTROL_POWEREVENT) {
        const auto& reasons = control.control == SERVICE_CONTROL_SESSIONCHANGE
                                  ? names::SessionReasons()
                                  : names::PowerEvents();
        const auto reason = names::NameOf(reasons, control.eventType);
        text += fmt::format("/{} {}{}", control.eventType, name,
                            reason.empty() ? "" : " " + std::string(reason));
    } else if (!name.empty()) {
        text += " " + std::string(name);
    }
    return control.hasData || control.control != SERVICE_CONTROL_SESSIONCHANGE
               ? text
               : text + " (no data)";
}

std::string StartupText(std::optional<std::uint32_t> start, std::optional<std::uint32_t> delayed) {
    if (!start) {
        return "service not installed";
    }
    const auto name = names::NameOf(names::StartTypes(), *start);
    const bool isDelayed = delayed == 1u && *start == SERVICE_AUTO_START;
    return fmt::format("Start={} ({}{}), DelayedAutostart={}", *start,
                       name.empty() ? "other" : name, isDelayed ? ", delayed" : "",
                       delayed ? std::to_string(*delayed) : "absent");
}

}  // namespace

RunFacts GatherFacts(const RunResult& result) {
    const Snapshot& evidence = result.evidence;
    RunFacts facts;
    facts.phases = {
        {"OnStart returned after", EntryLength(evidence.entryCalls, "OnStart", false)},
        {"time to full initialisation", TimeToFullInit(evidence)},
        {"time to stop", EntryLength(evidence.entryCalls, "OnStop", true)},
        {"cleanup", Between(evidence.lines, "OrvClientService::Cleanup: Enter",
                            "OrvClientService::Cleanup: Exit")},
        {"agents taken down",
         Between(evidence.lines, "OrvClientService::UnInit: Service stop event received",
                 "OrvClientService::UnInit: Cleanup garbage collector")},
    };
    for (const DeliveredControl& control : evidence.controls) {
        facts.controls.push_back(ControlText(control));
    }
    for (const orvsim::Publication& publication : evidence.publications) {
        facts.publications.push_back(fmt::format("({},{}){}", publication.topicId,
                                                 publication.eventState,
                                                 publication.accepted ? "" : " refused"));
    }
    if (winsim::services::Get(L"ORVService")) {
        facts.start = winsim::registry::GetDword(kServiceKey, L"Start");
        facts.delayedAutostart = winsim::registry::GetDword(kServiceKey, L"DelayedAutostart");
    }
    facts.startupConfiguration = StartupText(facts.start, facts.delayedAutostart);
    facts.errorLines = static_cast<int>(
        std::count_if(evidence.lines.begin(), evidence.lines.end(),
                      [](const LogLine& line) { return line.level == LogLevel::kError; }));
    return facts;
}

}  // namespace orvhost
